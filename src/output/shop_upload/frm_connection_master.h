#pragma once

#include "platform/files/message_sink.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace velmora::output {

// What the wizard asks the user; the program passes dialog boxes, tests
// recorders.
struct ConnectionMasterDialogs {
    MessageSink message;
    // An open-file dialog with a filter; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& filter)> openFileName;
    // An input box (caption, prompt); nullopt when cancelled.
    std::function<std::optional<QString>(QWidget* parent, const QString& caption, const QString& prompt)> input;
};

// Dialog boxes over the wizard.
ConnectionMasterDialogs connectionMasterBoxes();

// frmConnectionMaster ("Мастер настройки системы"): registers the web
// shop's ODBC data source for MariaDB's driver and gives its connection
// string to the export parameters.
class frmConnectionMaster : public QDialog {
    Q_OBJECT
public:
    explicit frmConnectionMaster(QWidget* parent = nullptr);
    ~frmConnectionMaster() override;

    void setDialogs(ConnectionMasterDialogs dialogs) { dialogs_ = std::move(dialogs); }

    // The connection string once a data source was registered, else empty.
    QString connectionString() const { return connectionString_; }

    void FormShow();
    void btnNextClick();
    void btnCloseClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The driver's file: MariaDB's from the driver list, else one the user
    // picks after the message; empty when none.
    QString driverFile();

    ConnectionMasterDialogs dialogs_;
    QWidget* resultPanel_ = nullptr;
    QPushButton* btnNext_ = nullptr;
    QString connectionString_;
};

} // namespace velmora::output
