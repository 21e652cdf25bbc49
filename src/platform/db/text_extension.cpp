// The program's text semantics as a SQLite loadable extension, so that the
// stock sqlite3 shell and other clients compare, check and rebuild the
// program's databases as the program does:
//
//   sqlite3 PRICE.vdb
//   sqlite> .load /path/to/program/velmora_text
#include "text_functions.h"

#include "sqlite_api.h"

SQLITE_EXTENSION_INIT1

extern "C" int sqlite3_velmoratext_init(sqlite3* db, char**, const sqlite3_api_routines* api)
{
    SQLITE_EXTENSION_INIT2(api);
    return velmora::db::registerTextFunctions(db);
}
