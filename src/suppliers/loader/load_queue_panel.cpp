#include "suppliers/loader/load_queue_panel.h"

#include "storage/value_helpers.h"
#include "platform/files/ini_file.h"
#include "storage/settings_store.h"
#include "suppliers/exports/price_list_export.h"
#include "suppliers/loader/price_list_load_thread.h"
#include "suppliers/loader/updated_price_lists.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace velmora::loader {
namespace {

bool fromSupplierTree(const QDropEvent* event)
{
    const QObject* source = event->source();
    while (source) {
        if (source->objectName() == u"TreeView1")
            return event->mimeData()->hasText();
        source = source->parent();
    }
    return false;
}

} // namespace

LoadQueuePanel::LoadQueuePanel(LoadQueueEnvironment environment, QWidget* parent)
    : QWidget(parent), environment_(std::move(environment))
{
    setObjectName(QStringLiteral("Panel_LoadPrice"));

    auto* close = new QPushButton(QStringLiteral("X"), this);
    close->setObjectName(QStringLiteral("Button_X"));
    close->setFixedWidth(24);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox_LoadPrice"));
    list_->setAcceptDrops(true);
    list_->viewport()->installEventFilter(this);
    autoExport_ = new QCheckBox(QStringLiteral("Автосохранять после загрузки"), this);
    autoExport_->setObjectName(QStringLiteral("CheckBox_AutoExportPrice"));
    loadBase_ = new QCheckBox(QStringLiteral("Загружать прайс-листы в базу"), this);
    loadBase_->setObjectName(QStringLiteral("CheckBox_LoadBasePostav"));
    loadBase_->setChecked(environment_.isLoadAdmin);
    loadBase_->setToolTip(QStringLiteral("Убрав галочку Вы передадите управление загрузкой прайс-листов другому пользователю"));
    autoSaveIni_ = new QCheckBox(QStringLiteral("при закрытии программы"), this);
    autoSaveIni_->setObjectName(QStringLiteral("CheckBox_AutoSaveIniFile"));
    button_ = new QPushButton(kStartLoadCaption, this);
    button_->setObjectName(QStringLiteral("Button_LoadPrice"));

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addWidget(autoExport_);
    layout->addWidget(loadBase_);
    layout->addWidget(autoSaveIni_);
    layout->addWidget(button_);

    newFileTimer_ = new QTimer(this);
    newFileTimer_->setObjectName(QStringLiteral("Timer_PostavNewTimer"));
    newFileTimer_->setSingleShot(true);
    newFileTimer_->setInterval(1000);

    if (environment_.orderDb) {
        SettingsStore settings(*environment_.orderDb);
        autoExport_->setChecked(settings.readBoolean(QStringLiteral("AutoExportPrice"), QStringLiteral("-1")));
        autoSaveIni_->setChecked(settings.readBoolean(QStringLiteral("CheckBox_AutoSaveIniFile"), QStringLiteral("-1")));
    }

    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(button_, &QPushButton::clicked, this, &LoadQueuePanel::Button_LoadPriceClick);
    connect(newFileTimer_, &QTimer::timeout, this, [this] {
        if (environment_.isLoadAdmin)
            CheckUpdatedPriceLists();
    });
    connect(autoExport_, &QCheckBox::clicked, this, [this](bool on) {
        if (environment_.orderDb)
            WriteSetting(*environment_.orderDb, QStringLiteral("AutoExportPrice"), QStringLiteral("TypeBoolean"),
                         on ? QStringLiteral("True") : QStringLiteral("False"));
    });
    connect(autoSaveIni_, &QCheckBox::clicked, this, [this](bool on) {
        if (environment_.orderDb)
            WriteSetting(*environment_.orderDb, QStringLiteral("CheckBox_AutoSaveIniFile"), QStringLiteral("TypeBoolean"),
                         on ? QStringLiteral("True") : QStringLiteral("False"));
    });
    connect(loadBase_, &QCheckBox::clicked, this, &LoadQueuePanel::CheckBox_LoadBasePostavClick);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { emit queueEntryClicked(item->text()); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
        const int row = list_->currentRow();
        if (row < 0 || row >= list_->count())
            return;
        delete list_->takeItem(row);
        emit queueChanged(queueNames());
    });
}

LoadQueuePanel::~LoadQueuePanel()
{
    // Leaving the program during a run: abandon the current list (its old
    // goods stay) and wait for the thread.
    if (loadThread_) {
        disconnect(loadThread_, nullptr, this, nullptr);
        loadThread_->requestAbort();
        loadThread_->wait();
        delete loadThread_.data();
    }
}

void LoadQueuePanel::setQueueNames(const QStringList& names)
{
    list_->clear();
    QStringList distinct;
    for (const QString& name : names) {
        if (!name.isEmpty() && !distinct.contains(name))
            distinct << name;
    }
    list_->addItems(distinct);
}

QStringList LoadQueuePanel::queueNames() const
{
    QStringList names;
    for (int i = 0; i < list_->count(); ++i)
        names << list_->item(i)->text();
    return names;
}

void LoadQueuePanel::addToQueue(const QString& name)
{
    if (name.isEmpty())
        return;
    const QList<QListWidgetItem*> found = list_->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty()) {
        list_->setCurrentItem(found.first());
        return;
    }
    list_->addItem(name);
    emit queueChanged(queueNames());
}

bool LoadQueuePanel::isLoadRunning() const
{
    return !loadThread_.isNull();
}

TPriceListLoadSave* LoadQueuePanel::loadThread() const
{
    return loadThread_;
}

void LoadQueuePanel::startNewFileTimer()
{
    newFileTimer_->start();
}

void LoadQueuePanel::inform(const QString& text)
{
    if (environment_.inform)
        environment_.inform(text);
}

bool LoadQueuePanel::ask(const QString& text)
{
    return environment_.ask && environment_.ask(text);
}

void LoadQueuePanel::Button_LoadPriceClick()
{
    if (loadThread_) {
        if (!stopping_) {
            // The current list finishes; the button waits for the thread.
            stopping_ = true;
            button_->setText(kStartLoadCaption);
            button_->setEnabled(false);
            loadThread_->requestStop();
        }
        return;
    }
    const int count = list_->count();
    int start = list_->currentRow();
    if (start < 0 || start >= count) {
        start = 0;
        if (count > 0)
            list_->setCurrentRow(0);
    }
    startRun(queueNames().mid(start), false);
}

bool LoadQueuePanel::startSingleLoad(const QString& name)
{
    if (loadThread_)
        return false;
    startRun({name}, true);
    singleName_ = name;
    return true;
}

void LoadQueuePanel::startRun(const QStringList& names, bool singleList)
{
    LoadRunSettings settings;
    settings.pricePath = environment_.pricePath;
    settings.orderPath = environment_.orderPath;
    settings.userIniPath = environment_.userIniPath;
    settings.programFolder = environment_.programFolder;
    settings.ormita = environment_.ormita;
    settings.pauses = environment_.pauses;
    if (environment_.rates)
        settings.rates = environment_.rates();
    if (environment_.orderDb)
        settings.titles = exports::ExportColumnTitles::fromSettings(*environment_.orderDb);
    settings.names = names;
    settings.singleList = singleList;
    singleName_.clear();

    elapsed_.ElapsedTimeText(true);
    stopping_ = false;
    button_->setText(kStopLoadCaption);
    button_->setEnabled(true);

    auto* thread = new TPriceListLoadSave(std::move(settings));
    loadThread_ = thread;
    connect(thread, &TPriceListLoadSave::statusReported, this, &LoadQueuePanel::SyncLoadStatus, Qt::QueuedConnection);
    connect(thread, &TPriceListLoadSave::combinedExportRequested, this, &LoadQueuePanel::combinedExportRequested,
            Qt::QueuedConnection);
    connect(thread, &TPriceListLoadSave::repricingRequested, this, &LoadQueuePanel::repricingRequested,
            Qt::QueuedConnection);
    connect(thread, &TPriceListLoadSave::exportRowsOmitted, this, &LoadQueuePanel::inform, Qt::QueuedConnection);
    connect(thread, &TPriceListLoadSave::offersLoaded, this, &LoadQueuePanel::offersLoaded, Qt::QueuedConnection);
    connect(thread, &QThread::finished, this, &LoadQueuePanel::threadEnded, Qt::QueuedConnection);
    thread->start(QThread::LowPriority);
}

void LoadQueuePanel::SyncLoadStatus(const QString& statusText, const QString& buttonCaption)
{
    emit statusChanged(statusText, elapsed_.ElapsedTimeText(false));
    if (!stopping_ && loadThread_)
        button_->setText(buttonCaption);
}

void LoadQueuePanel::threadEnded()
{
    QString firstError;
    if (TPriceListLoadSave* thread = loadThread_) {
        loadThread_ = nullptr;
        thread->wait();
        firstError = thread->firstError();
        thread->deleteLater();
    }
    stopping_ = false;
    button_->setText(kStartLoadCaption);
    button_->setEnabled(true);
    const QString single = std::exchange(singleName_, QString());
    if (!single.isEmpty())
        emit singleLoadFinished(single, firstError);
    emit loadRunFinished();
}

void LoadQueuePanel::CheckBox_LoadBasePostavClick(bool checked)
{
    const QString section = QStringLiteral("SetupUsers");
    const QString key = QStringLiteral("UserAdminName");
    const QString user = environment_.userName.isEmpty() ? QStringLiteral("Unknown") : environment_.userName.left(255);
    if (!checked &&
        ask(QStringLiteral("Уверены что хотите передать управление\rзагрузкой прайс-листов другому пользователю?"))) {
        environment_.isLoadAdmin = false;
        loadBase_->setToolTip(QStringLiteral("Запустите программу под другим пользователем, чтобы передать ему управление!"));
        WriteIniString(environment_.userIniPath, section, QString(), key);
        emit loadAdminChanged(false);
        inform(QStringLiteral("Запустите программу под другим пользователем,\rчтобы передать ему управление загрузкой прайс-листов!"));
        return;
    }
    // Kept, or taken over: this user loads the price lists.
    loadBase_->setToolTip(QStringLiteral("Убрав галочку Вы передадите управление загрузкой прайс-листов другому пользователю"));
    WriteIniString(environment_.userIniPath, section, user, key);
    loadBase_->setChecked(true);
    autoExport_->show();
    if (!environment_.isLoadAdmin) {
        environment_.isLoadAdmin = true;
        emit loadAdminChanged(true);
    }
}

void LoadQueuePanel::CheckUpdatedPriceLists()
{
    if (!environment_.isLoadAdmin || !environment_.priceDb || !environment_.orderDb)
        return;
    const QStringList updated = FindUpdatedPriceLists(*environment_.priceDb, *environment_.orderDb);
    if (updated.isEmpty())
        return;
    if (!ask(QStringLiteral("Обновились некоторые прайс-листы.\rДобавить их в очередь загрузки?")))
        return;
    // A run going on keeps its own copy; the new queue waits for the next start.
    setQueueNames(updated);
    show();
    emit queueChanged(queueNames());
    if (!ask(QStringLiteral("Обновилось ") +
             RussianCount(updated.size(), QStringLiteral("прайс-лист"), QStringLiteral("прайс-листа"),
                          QStringLiteral("прайс-листов")) +
             QStringLiteral("\r     Загрузить?")))
        return;
    list_->setCurrentRow(0);
    if (!isLoadRunning())
        startRun(queueNames(), false);
}

bool LoadQueuePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (fromSupplierTree(drag))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (fromSupplierTree(drop)) {
                addToQueue(drop->mimeData()->text().trimmed());
                drop->acceptProposedAction();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velmora::loader
