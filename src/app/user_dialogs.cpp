#include "user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <cstdio>

namespace velmora {

QString displayText(const QString& storedText)
{
    QString text = storedText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

const MessageSink& warningSink(const UserDialogs& dialogs)
{
    if (dialogs.warning)
        return dialogs.warning;
    return dialogs.error ? dialogs.error : dialogs.message;
}

UserDialogs messageBoxDialogs()
{
    UserDialogs dialogs;
    dialogs.message = [](const QString& text) {
        QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), displayText(text));
    };
    dialogs.error = [](const QString& text) {
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), displayText(text));
    };
    dialogs.warning = [](const QString& text) {
        QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationName(), displayText(text));
    };
    dialogs.confirm = [](const QString& text) {
        return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(), displayText(text),
                                     QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    };
    dialogs.openFileName = [](QWidget* parent, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    };
    dialogs.folderName = [](QWidget* parent, const QString& caption) {
        return QFileDialog::getExistingDirectory(parent, caption);
    };
    return dialogs;
}

UserDialogs scriptedDialogs()
{
    UserDialogs dialogs;
    dialogs.message = [](const QString& text) {
        std::fprintf(stderr, "%s\n", displayText(text).toLocal8Bit().constData());
        std::fflush(stderr);
    };
    dialogs.error = dialogs.message;
    dialogs.warning = dialogs.message;
    dialogs.confirm = [](const QString& text) {
        std::fprintf(stderr, "%s [No]\n", displayText(text).toLocal8Bit().constData());
        std::fflush(stderr);
        return false;
    };
    dialogs.openFileName = [](QWidget*, const QString&) { return QString(); };
    dialogs.folderName = [](QWidget*, const QString&) { return QString(); };
    return dialogs;
}

} // namespace velmora
