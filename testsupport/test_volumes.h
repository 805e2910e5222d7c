// The test volumes that `./kel test` adds to the prefix for the run (tools/test-volumes.sh):
//   J: fixed    label DISK.1               \SCANS\B.GIF
//   K: CD-ROM   label PHOTO.01             \IMAGES\A.GIF, \PHOTO_CD\IMAGES\IMG0012.PCD
//   L: floppy   label BACKUP1              \BACKUP\D.GIF
//   M: CD-ROM   no disc in it
//   N: network  \\KELSRV\PHOTOS, label NETVOL   \1996\A.GIF
//   P: fixed    label HOLIDAY.PHOTOS.2024
//   \\KELSRV\ARCHIVE (no drive letter)     \OLD\C.GIF
#pragma once

#include <gtest/gtest.h>

namespace kt {

// True when the run has the test volumes. Without KEL_TEST_VOLUMES (a session that did not set
// them up) the caller skips; with it, missing volumes fail the test.
bool testVolumesReady();

// A drive letter that has no drive at all, from D: on.
char freeDriveLetter();

} // namespace kt

#define KT_REQUIRE_TEST_VOLUMES()                                                                                      \
    do {                                                                                                               \
        if (!kt::testVolumesReady())                                                                                   \
            GTEST_SKIP() << "the test volumes exist only in runs of ./kel test";                                      \
    } while (0)
