// String ids of the application shell.
#pragma once
#define IDS_APPNAME 10
#define IDS_FRAMETITLE 28
