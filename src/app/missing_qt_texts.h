#pragma once

#include <QTranslator>

namespace velmora {

// Qt's own texts that its Russian catalogue of this version leaves in
// English: the file dialog's type of folders, drives and links. Installed
// after the catalogue, it answers only for those.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

} // namespace velmora
