#pragma once

#include <QString>

namespace velmora {

// Removes what killed runs of the program's database work left beside a
// working database (the data folder's PRICE.vdb or BaseZakaz.vdb): copies
// and restores in the making ("PRICE.vdb.XXXXXX.part"), the compaction's
// "mdbXXXXXX", the save's "BaseTemp.vdb", unpacked archives
// ("*.XXXXXX.unpack"), each with its journals. A temporary that a running
// program still claims stays, and so does every other file.
void removeDatabaseLeftovers(const QString& workingPath);

} // namespace velmora
