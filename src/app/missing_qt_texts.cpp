#include "missing_qt_texts.h"

#include <cstring>

namespace velmora {

QString MissingQtTexts::translate(const char* context, const char* sourceText, const char*, int) const
{
    if (!context || !sourceText)
        return {};
    static const struct {
        const char* context;
        const char* english;
        const char* russian;
    } texts[] = {
        {"QAbstractFileIconProvider", "Folder", "Папка"},
        {"QAbstractFileIconProvider", "File Folder", "Папка"},
        {"QAbstractFileIconProvider", "Drive", "Диск"},
        {"QAbstractFileIconProvider", "Alias", "Ссылка"},
        {"QAbstractFileIconProvider", "Shortcut", "Ярлык"},
        {"QAbstractFileIconProvider", "Unknown", "Неизвестный"},
    };
    for (const auto& t : texts) {
        if (std::strcmp(context, t.context) == 0 && std::strcmp(sourceText, t.english) == 0)
            return QString::fromUtf8(t.russian);
    }
    return {};
}

} // namespace velmora
