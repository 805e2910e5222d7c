/* Adds a PostScript printer that prints to FILE: and makes it the default, so that print
   dialogs and printer DCs work in a fresh Wine prefix. Run once by make-prefix.sh. */
#include <windows.h>
#include <winspool.h>
#include <stdio.h>

int main(void)
{
    static char name[] = "Kelgrove PostScript", driver[] = "wineps.drv", port[] = "FILE:",
                proc[] = "WinPrint", datatype[] = "RAW";
    DRIVER_INFO_3A di = {0};
    di.cVersion = 3;
    di.pName = name;
    di.pDriverPath = driver;
    di.pDataFile = driver;
    di.pConfigFile = driver;
    if (!AddPrinterDriverExA(NULL, 3, (LPBYTE)&di, APD_COPY_NEW_FILES) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        fprintf(stderr, "AddPrinterDriverEx failed: %lu\n", GetLastError());
        return 1;
    }
    PRINTER_INFO_2A pi = {0};
    pi.pPrinterName = name;
    pi.pPortName = port;
    pi.pDriverName = name;
    pi.pPrintProcessor = proc;
    pi.pDatatype = datatype;
    HANDLE h = AddPrinterA(NULL, 2, (LPBYTE)&pi);
    if (h)
        ClosePrinter(h);
    else if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        fprintf(stderr, "AddPrinter failed: %lu\n", GetLastError());
        return 1;
    }
    if (!SetDefaultPrinterA(name)) {
        fprintf(stderr, "SetDefaultPrinter failed: %lu\n", GetLastError());
        return 1;
    }
    return 0;
}
