// String ids used by the catalog engine (the caption "Error" is IDS_ERROR_CAPTION, 1027).
#pragma once
#define IDS_CAT_FILE_IN_USE 1023      // "The file is in use or you do not have sufficient access rights!\n%s\n%s"
#define IDS_CAT_CANNOT_OPEN 1024      // "Cannot open catalog file %s\n%s"
#define IDS_CAT_NO_DISK_SPACE 1034    // "Insufficient Disk Work Space"
#define IDS_CAT_NEED_VOLUME 1072      // "Need volume:%s\n%s is in drive %c:"
#define IDS_CAT_WRONG_VOLUME 1073     // "Incorrect Volume Label"
#define IDS_CAT_NEED_PASSWORD 1216    // "Please enter the current password for catalog '%s'"
#define IDS_CAT_ADD_PASSWORD 1222     // "Catalog '%s' currently has no password. Do you want to add one?"
#define IDS_CAT_RECORD_MISMATCH 1244  // "The catalog record for index entry '%s' does not match the index. ..."
#define IDS_CAT_ERROR_CAPTION 1270    // "Catalog Error"
#define IDS_CAT_ALREADY_CATALOGED 1275 // "'%s' is already cataloged in catalog '%s'! Continue? Yes/No"
#define IDS_CAT_INDEX_CORRUPT 1320    // "The Catalog index is corrupt and must be rebuilt. ..."
