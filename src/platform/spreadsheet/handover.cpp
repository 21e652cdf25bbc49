#include "platform/spreadsheet/handover.h"

#include "platform/spreadsheet/workbook.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QFileInfo>
#include <QUrl>
#include <atomic>

namespace velmora::sheet {

namespace {
std::atomic<bool>& openingSwitch()
{
    static std::atomic<bool> enabled(qEnvironmentVariableIsEmpty("VELMORA_NO_DESKTOP_OPEN"));
    return enabled;
}
} // namespace

void setDesktopOpeningEnabled(bool enabled)
{
    openingSwitch() = enabled;
}

bool desktopOpeningEnabled()
{
    return openingSwitch();
}

bool openInDesktop(const QString& path)
{
    if (!desktopOpeningEnabled() || !QFileInfo(path).isFile())
        return false;
    // The desktop services need a GUI application; a batch run has none.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

HandOver handOverVisible(const Workbook& workbook, const QString& path)
{
    workbook.saveAs(path);
    HandOver result;
    result.savedPath = QFileInfo(path).absoluteFilePath();
    result.opened = openInDesktop(result.savedPath);
    return result;
}

} // namespace velmora::sheet
