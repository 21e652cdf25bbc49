#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace velmora {

class Form_main;

// The administrator's commands on the price database file: save (publish a
// compacted copy to the shared place), restore from a chosen file or
// archive, and compaction. Each closes the main window's price connection
// for the time it works on the file, runs its long steps on a worker
// behind the wait window, and opens the connection again; restore ends the
// run for a new one instead. None starts while `busy` says a load or an
// export works on the price database.
class DatabaseCommands : public QObject {
    Q_OBJECT
public:
    DatabaseCommands(Form_main& form, std::function<bool()> busy);

    // ToolButton_Base: "Сохранить базу данных с прайс-листами".
    void SaveDatabase();
    // ToolButton_BaseLoad: "Загрузить базу данных из архива".
    void ToolButton_BaseLoadClick();
    // The menu command "Сжать базу данных".
    void CompactDatabaseClick();

signals:
    // Each status text of a command, as panel 1 of the status bar shows it.
    void statusShown(const QString& text);

private:
    bool refusedWhileBusy();
    bool reconnect();
    void showStatus(const QString& text);
    void say(const QString& text);
    QString workingPath() const;

    Form_main& form_;
    std::function<bool()> busy_;
};

} // namespace velmora
