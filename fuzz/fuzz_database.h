#pragma once

#include "platform/db/connection.h"

namespace velmora::fuzz {

// A price database made once per process in the input folder, as start-up
// makes a new one, for the imports that write into it. Its file lives on
// the memory file system when $TMPDIR is one; nothing waits for the disk.
db::Connection& priceDatabase();

} // namespace velmora::fuzz
