#include "form_data_load.h"

#include "platform/db/day_numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::catalogue {
namespace {

const char* const kResultNames[5] = {"Label_AllLoad", "Label_Musor", "Label_Svod", "Label_Ostatok", "Label_Krit"};
const char* const kResultCaptions[5] = {"Всего загружено записей", "Удалено в мусорый бак",
                                        "Перемещено в сводный прайс лист", "Добавлено в таблицу Остаток",
                                        "Найдено товаров по критериям"};

// The window's bar as the load's progress; it repaints about a hundred
// times over a stretch, since the load blocks the event loop.
class BarProgress : public Progress {
public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}
    void start(const QString&, int steps) override
    {
        bar_->setRange(0, std::max(steps, 1));
        bar_->setValue(0);
        painted_ = 0;
        bar_->repaint();
    }
    void step(int count) override
    {
        const int value = std::min(bar_->value() + count, bar_->maximum());
        bar_->setValue(value);
        if (value - painted_ >= std::max(1, bar_->maximum() / 100)) {
            painted_ = value;
            bar_->repaint();
        }
    }

private:
    QProgressBar* bar_;
    int painted_ = 0;
};

} // namespace

Form_DataLoad::Form_DataLoad(db::Connection& priceDb, SettingsStore& settings, Hooks hooks, QWidget* parent)
    : QDialog(parent), priceDb_(priceDb), settings_(settings), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("Form_DataLoad"));
    setWindowTitle(QStringLiteral("Загрузка данных"));
    suppliers_ = new QComboBox(this);
    suppliers_->setObjectName(QStringLiteral("ComboBox_Postav"));
    date_ = new QDateEdit(QDate::currentDate(), this);
    date_->setObjectName(QStringLiteral("DateTimePicker_Load"));
    date_->setToolTip(QStringLiteral("Дата актуальности цен в прайс-листе"));
    date_->setCalendarPopup(true);
    // A Russian date whatever the locale: "11.12.2026", not "11 Dec 2026".
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    rate_ = new QComboBox(this);
    rate_->setObjectName(QStringLiteral("ComboBox_Kurs"));
    rate_->setToolTip(QStringLiteral("Курс доллара/Евро"));
    rate_->setEditable(true);
    rate_->addItem(QStringLiteral("Нет"));
    rate_->lineEdit()->installEventFilter(this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox_PostSelect"));
    remove_ = new QPushButton(QStringLiteral("Удалить из списка"), this);
    remove_->setObjectName(QStringLiteral("Button1"));
    criteria_ = new QCheckBox(QStringLiteral("После загрузки провести обработку по критериям"), this);
    criteria_->setObjectName(QStringLiteral("CheckBox_AutoKrit"));
    excel_ = new QToolButton(this);
    excel_->setObjectName(QStringLiteral("SpeedButton_Excel"));
    excel_->setText(QStringLiteral("Excel"));
    excel_->setToolTip(QStringLiteral("Открыть файл Excel"));
    start_ = new QPushButton(QStringLiteral("Начать загрузку !"), this);
    start_->setObjectName(QStringLiteral("Button_Zagruz"));
    close_ = new QPushButton(QStringLiteral("Закрыть"), this);
    close_->setObjectName(QStringLiteral("Button_CloseDataLoad"));
    review_ = new QToolButton(this);
    review_->setObjectName(QStringLiteral("SpeedButton_ReturnKritAll"));
    review_->setText(QStringLiteral("Перейти "));
    review_->setToolTip(QStringLiteral("Перейти к просмотру товаров, найденных по критериям"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar_Load"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Label_Progress"));

    auto* top = new QFormLayout;
    auto* supplierRow = new QHBoxLayout;
    supplierRow->addWidget(suppliers_, 1);
    supplierRow->addWidget(excel_);
    top->addRow(QStringLiteral("Поставщик"), supplierRow);
    top->addRow(QStringLiteral("Дата"), date_);
    top->addRow(QStringLiteral("Курс"), rate_);
    auto* queueBox = new QVBoxLayout;
    queueBox->addWidget(new QLabel(QStringLiteral("Очередь загрузки"), this));
    queueBox->addWidget(list_, 1);
    queueBox->addWidget(remove_);
    auto* results = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        results_[i] = new QLabel(QStringLiteral("Нет"), this);
        results_[i]->setObjectName(QLatin1String(kResultNames[i]));
        results->addWidget(new QLabel(QString::fromUtf8(kResultCaptions[i]), this), i, 0);
        results->addWidget(results_[i], i, 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(review_);
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(queueBox, 1);
    layout->addWidget(criteria_);
    layout->addLayout(results);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    resize(480, 560);

    connect(suppliers_, &QComboBox::activated, this, &Form_DataLoad::ComboBox_PostavChange);
    connect(date_, &QDateEdit::dateChanged, this, [this] { storeDateAndRate(); });
    connect(rate_, &QComboBox::editTextChanged, this, [this] { storeDateAndRate(); });
    connect(list_, &QListWidget::itemClicked, this, [this] { showEntry(list_->currentRow()); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &Form_DataLoad::RemoveEntryClick);
    connect(remove_, &QPushButton::clicked, this, &Form_DataLoad::RemoveEntryClick);
    connect(excel_, &QToolButton::clicked, this, &Form_DataLoad::SpeedButton_ExcelClick);
    connect(start_, &QPushButton::clicked, this, &Form_DataLoad::Button_ZagruzClick);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    connect(review_, &QToolButton::clicked, this, &Form_DataLoad::reviewRequested);
}

void Form_DataLoad::showEvent(QShowEvent* event)
{
    prepare();
    QDialog::showEvent(event);
}

void Form_DataLoad::prepare()
{
    queue_.clear();
    list_->clear();
    bar_->hide();
    suppliers_->clear();
    suppliers_->addItems(loadingSupplierNames(priceDb_, true));
    suppliers_->setCurrentIndex(-1);
    setRunning(false);
    start_->setEnabled(false);
    excel_->setEnabled(false);
    status_->setText(load_status::kWaiting);
    showCounts(std::nullopt);
    review_->hide();
}

int Form_DataLoad::currentEntry() const
{
    const int row = list_->currentRow();
    return row >= 0 && row < queue_.size() ? row : -1;
}

void Form_DataLoad::rebuildList(int select)
{
    list_->clear();
    for (const LoadQueueEntry& entry : queue_)
        list_->addItem(entry.postavshik);
    if (select >= 0 && select < list_->count())
        list_->setCurrentRow(select);
}

void Form_DataLoad::showCounts(const std::optional<LoadCounts>& counts)
{
    const std::optional<qint64> values[5] = {
        counts ? std::optional<qint64>(counts->loaded) : std::nullopt,
        counts ? std::optional<qint64>(counts->trashed) : std::nullopt,
        counts ? std::optional<qint64>(counts->combined) : std::nullopt,
        counts ? std::optional<qint64>(counts->remainder) : std::nullopt,
        counts && criteria_->isChecked() ? counts->criteriaHits : std::nullopt};
    for (int i = 0; i < 5; ++i)
        results_[i]->setText(loadCountText(values[i]));
}

void Form_DataLoad::showEntry(int index)
{
    if (index < 0 || index >= queue_.size())
        return;
    const LoadQueueEntry& entry = queue_.at(index);
    showing_ = true;
    suppliers_->setCurrentText(entry.postavshik);
    date_->setDate(db::dateFromDayNumber(double(entry.day)));
    rate_->setEditText(entry.rate > 0 ? rateBoxText(entry.rate) : QString());
    showing_ = false;
    showCounts(entry.counts);
}

void Form_DataLoad::ComboBox_PostavChange()
{
    const QString name = suppliers_->currentText();
    if (name.isEmpty())
        return;
    showing_ = true;
    date_->setDate(QDate::currentDate());
    rate_->clear();
    rate_->addItem(QStringLiteral("Нет"));
    rate_->setCurrentIndex(0);
    showing_ = false;
    int index = -1;
    for (int i = 0; i < queue_.size(); ++i)
        if (queue_.at(i).postavshik == name)
            index = i;
    if (index >= 0) {
        rebuildList(index);
        showEntry(index);
    } else {
        queue_.append({name, db::dayNumber(date_->date()), 1.0, std::nullopt});
        rebuildList(int(queue_.size()) - 1);
        showCounts(std::nullopt);
    }
    start_->setEnabled(true);
    excel_->setEnabled(true);
}

void Form_DataLoad::storeDateAndRate()
{
    const int index = currentEntry();
    if (showing_ || index < 0)
        return;
    queue_[index].day = db::dayNumber(date_->date());
    // A text that is no rate above 0 is kept as 0, which the load refuses.
    queue_[index].rate = rateFromBoxText(rate_->currentText()).value_or(0);
}

bool Form_DataLoad::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != rate_->lineEdit() || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (key->key() == Qt::Key_Backspace || text.isEmpty() || !text.at(0).isPrint())
        return false;
    QLineEdit* edit = rate_->lineEdit();
    switch (filterLoadRateKey(edit->text(), edit->cursorPosition(), text.at(0))) {
    case RateKey::Pass: return false;
    case RateKey::AsComma: edit->insert(QStringLiteral(",")); return true;
    case RateKey::Refuse: return true;
    }
    return true;
}

void Form_DataLoad::RemoveEntryClick()
{
    const int index = currentEntry();
    if (index < 0)
        return;
    queue_.removeAt(index);
    rebuildList(std::min(index, int(queue_.size()) - 1));
}

void Form_DataLoad::SpeedButton_ExcelClick()
{
    const std::optional<SupplierSetup> setup = readSupplierSetup(priceDb_, suppliers_->currentText());
    if (!setup || !QFileInfo(setup->path).isFile()) {
        if (hooks_.tell)
            hooks_.tell(missingWorkbookMessage());
        return;
    }
    if (hooks_.openWorkbook)
        hooks_.openWorkbook(setup->path);
}

void Form_DataLoad::setRunning(bool running)
{
    date_->setVisible(!running);
    rate_->setVisible(!running);
    criteria_->setVisible(!running);
    suppliers_->setEnabled(!running);
    start_->setEnabled(!running);
    excel_->setEnabled(!running);
    close_->setEnabled(!running);
    remove_->setEnabled(!running);
}

void Form_DataLoad::Button_ZagruzClick()
{
    if (queue_.isEmpty())
        return;
    // Every entry is checked before anything is loaded.
    const QString problem = queueProblem(priceDb_, queue_);
    if (!problem.isEmpty()) {
        if (hooks_.tell)
            hooks_.tell(problem);
        return;
    }
    review_->hide();
    setRunning(true);
    bar_->setValue(0);
    bar_->show();
    BarProgress progress(bar_);
    LoadReport report;
    report.status = [this](const QString& text) {
        status_->setText(text);
        status_->repaint();
    };
    report.bar = &progress;
    const LoadRounding rounding = readLoadRounding(settings_);
    const bool withCriteria = criteria_->isChecked();
    // Whatever happens, the controls come back.
    struct Restore {
        Form_DataLoad* window;
        ~Restore()
        {
            window->bar_->hide();
            window->setRunning(false);
        }
    } restore{this};
    for (int i = 0; i < queue_.size(); ++i) {
        list_->setCurrentRow(i);
        showEntry(i);
        const EntryLoad load = loadQueueEntry(priceDb_, queue_.at(i), rounding, withCriteria, report);
        if (!load.loaded) {
            if (hooks_.tell && !load.failure.isEmpty())
                hooks_.tell(load.failure);
            continue;
        }
        queue_[i].counts = load.counts;
        showCounts(load.counts);
    }
    report.status(load_status::kRepricing);
    if (hooks_.recalcAllMinPrices)
        hooks_.recalcAllMinPrices(bar_);
    report.status(load_status::kDone);
    emit loadFinished();
    bool hits = false;
    for (const LoadQueueEntry& entry : queue_)
        hits = hits || (entry.counts && entry.counts->criteriaHits.value_or(0) > 0);
    review_->setVisible(hits);
}

} // namespace velmora::catalogue
