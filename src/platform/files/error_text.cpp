#include "error_text.h"

#include <new>

namespace velmora {

QString ErrorText(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return kOutOfMemoryText;
    return QString::fromUtf8(error.what());
}

} // namespace velmora
