#include "window_placement.h"

#include "screen_fit.h"

#include "storage/settings_store.h"

#include <QByteArray>
#include <QMainWindow>
#include <QScreen>
#include <QSplitter>
#include <QStringList>

namespace velmora {

namespace {

const QString kGeometry = QStringLiteral("Form_main_Geometry");
const QString kText = QStringLiteral("TypeText");

QString sizesSetting(const QSplitter* splitter) { return splitter->objectName() + QStringLiteral("_Sizes"); }

// The frame's splitters: between the supplier side and the rest, and
// between the goods and the page control.
QList<QSplitter*> namedSplitters(const QMainWindow& window)
{
    QList<QSplitter*> named;
    for (const char* name : {"Splitter_Main", "Panel_Right"})
        if (auto* splitter = window.findChild<QSplitter*>(QLatin1String(name)))
            named << splitter;
    return named;
}

QList<int> sizesOf(const QString& text, int count)
{
    QList<int> sizes;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int size = part.trimmed().toInt(&ok);
        if (!ok || size < 0)
            return {};
        sizes << size;
    }
    return sizes.size() == count ? sizes : QList<int>{};
}

} // namespace

bool showMainWindowAsLeft(QMainWindow& window, db::Connection& orderDb)
{
    bool restored = false;
    try {
        SettingsStore settings(orderDb);
        if (settings.contains(kGeometry)) {
            const QByteArray geometry = QByteArray::fromBase64(settings.readText(kGeometry).toLatin1());
            restored = !geometry.isEmpty() && window.restoreGeometry(geometry);
        }
        if (restored) {
            for (QSplitter* splitter : namedSplitters(window)) {
                if (!settings.contains(sizesSetting(splitter)))
                    continue;
                const QList<int> sizes = sizesOf(settings.readText(sizesSetting(splitter)), splitter->count());
                if (!sizes.isEmpty())
                    splitter->setSizes(sizes);
            }
        }
    } catch (const std::exception&) {
        restored = false; // an unreadable store: open as the first time
    }
    if (restored) {
        window.show();
    } else {
        // Restoring from maximised gives back this size: the design size
        // where the screen has room for it, the free area where it has not.
        if (const QScreen* screen = window.screen()) {
            const QRect free = screen->availableGeometry();
            QRect centred(QPoint(), window.size());
            centred.moveCenter(free.center());
            window.setGeometry(fittedGeometry(centred, window.size(), window.minimumSizeHint(), window.maximumSize(),
                                              free, kFrameGuess));
        }
        window.showMaximized();
    }
    return restored;
}

void storeMainWindowPlacement(const QMainWindow& window, db::Connection& orderDb)
{
    if (!orderDb.isOpen())
        return;
    try {
        SettingsStore settings(orderDb);
        settings.write(kGeometry, kText, QString::fromLatin1(window.saveGeometry().toBase64()));
        for (QSplitter* splitter : namedSplitters(window)) {
            QStringList sizes;
            for (int size : splitter->sizes())
                sizes << QString::number(size);
            settings.write(sizesSetting(splitter), kText, sizes.join(u','));
        }
    } catch (const std::exception&) {
        // The window opens maximised next time; nothing else depends on it.
    }
}

} // namespace velmora
