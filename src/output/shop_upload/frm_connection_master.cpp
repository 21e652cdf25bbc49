#include "frm_connection_master.h"

#include "shop_data_source.h"

#include "platform/odbc/data_source.h"
#include "platform/odbc/odbc_error.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::output {
namespace {

const QString kDriverFilter = QStringLiteral("MariaDB ODBC Driver (libmaodbc.so libmaodbc*.so*)");

QLabel* addLabel(QVBoxLayout* layout, const char* name, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    layout->addWidget(label);
    return label;
}

} // namespace

ConnectionMasterDialogs connectionMasterBoxes()
{
    ConnectionMasterDialogs dialogs;
    dialogs.message = [](const QString& text) {
        QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(),
                                 QString(text).replace(u'\r', u'\n'));
    };
    dialogs.openFileName = [](QWidget* parent, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    };
    dialogs.input = [](QWidget* parent, const QString& caption, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return text;
    };
    return dialogs;
}

frmConnectionMaster::frmConnectionMaster(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConnectionMaster"));
    setWindowTitle(QStringLiteral("Мастер настройки системы"));
    auto* layout = new QVBoxLayout(this);

    auto* intro = new QWidget;
    intro->setObjectName(QStringLiteral("Panel_Intro"));
    auto* introLayout = new QVBoxLayout(intro);
    addLabel(introLayout, "Label1", QStringLiteral("Данный мастер поможет Вам настроить систему"));
    addLabel(introLayout, "Label2", QStringLiteral("для взаимодействия с СУБД  MySQL Server."));
    addLabel(introLayout, "Label3", QStringLiteral("Сейчас будет произведена автоматическую настройка системы."));
    addLabel(introLayout, "Label4", QStringLiteral("Убедитесь, что установлены следующие продукты:"));
    addLabel(introLayout, "Label5", QStringLiteral("- MySQL Server 4.0.13"));
    addLabel(introLayout, "Label6", QStringLiteral("- MyODBC Connector/ODBC Driver 3.51"));
    addLabel(introLayout, "Label7", QStringLiteral("Если продукты установлены то  - нажмите \"Далее\""));
    layout->addWidget(intro);

    resultPanel_ = new QWidget;
    resultPanel_->setObjectName(QStringLiteral("Panel_Result"));
    auto* resultLayout = new QVBoxLayout(resultPanel_);
    addLabel(resultLayout, "Label_Done", QStringLiteral("Мастер выполнил следующие действия"));
    addLabel(resultLayout, "Label_Registry", QStringLiteral("Внесение необходимых изменеий в реестр .... Ok"));
    addLabel(resultLayout, "Label_DataSource", QStringLiteral("Создание источника данных ODBC ................... Ok"));
    addLabel(resultLayout, "Label_Settings", QStringLiteral("Внесение изменений в настройку Velmora .... Ok"));
    addLabel(resultLayout, "Label_End", QStringLiteral("Работа мастера завершена."));
    layout->addWidget(resultPanel_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnNext_ = new QPushButton(QStringLiteral("Далее >>>"));
    btnNext_->setObjectName(QStringLiteral("btnNext"));
    auto* btnClose = new QPushButton(QStringLiteral("Завершить"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    buttons->addWidget(btnNext_);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);

    connect(btnNext_, &QPushButton::clicked, this, &frmConnectionMaster::btnNextClick);
    connect(btnClose, &QPushButton::clicked, this, &frmConnectionMaster::btnCloseClick);
    dialogs_ = connectionMasterBoxes();
}

frmConnectionMaster::~frmConnectionMaster() = default;

void frmConnectionMaster::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void frmConnectionMaster::FormShow()
{
    resultPanel_->hide();
    btnNext_->setEnabled(true);
    connectionString_.clear();
}

QString frmConnectionMaster::driverFile()
{
    try {
        return odbc::MariaDbDriverPath();
    } catch (const odbc::OdbcError& e) {
        if (dialogs_.message)
            dialogs_.message(e.message());
    }
    return dialogs_.openFileName ? dialogs_.openFileName(this, kDriverFilter) : QString();
}

void frmConnectionMaster::btnNextClick()
{
    const QString driver = driverFile();
    if (driver.isEmpty())
        return;
    const auto ask = [this](const QString& caption, const QString& prompt) -> std::optional<QString> {
        if (!dialogs_.input)
            return std::nullopt;
        const std::optional<QString> text = dialogs_.input(this, caption, prompt);
        return text ? std::optional<QString>(text->trimmed()) : std::nullopt;
    };
    const std::optional<QString> server =
        ask(QStringLiteral("Сервер MySQL"), QStringLiteral("Введите сетевое имя сервера MySQL"));
    if (!server)
        return;
    const std::optional<QString> database =
        ask(QStringLiteral("База данных MySQL"), QStringLiteral("Введите имя базы данных на сервере MySQL"));
    if (!database)
        return;
    try {
        RegisterShopDataSource(*server, *database, driver);
    } catch (const odbc::OdbcError& e) {
        // Nothing registered: no "Ok" panel.
        if (dialogs_.message)
            dialogs_.message(e.message());
        return;
    }
    connectionString_ = shopConnectionString();
    resultPanel_->show();
    btnNext_->setEnabled(false);
}

void frmConnectionMaster::btnCloseClick()
{
    if (connectionString_.isEmpty())
        reject();
    else
        accept();
}

} // namespace velmora::output
