#include "form_view_tovar_sel.h"

#include "window_controls.h"

#include "catalogue/goods_list.h"

#include "platform/db/db_error.h"
#include "storage/value_helpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QAbstractTableModel>
#include <QHash>
#include <QTableView>
#include <QVBoxLayout>

namespace velmora::catalogue {

namespace {

struct ConditionSpec {
    const char* box;
    const char* caption;
    const char* first;
    const char* second;
};

// The conditions in their order; the first answer of each is the one
// that selects goods lacking the thing (for the super price, having it).
const ConditionSpec kConditions[] = {
    {"CheckBox_Price", "Отбирать по цене", "цена равна нулю", "цена больше нуля"},
    {"CheckBox_Art", "Отбирать по артикулу", "артикул отсутствует", "есть артикул на товар"},
    {"CheckBox_SuperPrice", "Отбирать по СуперЦене", "товар с СуперЦеной", "СуперЦена отсутствует"},
    {"CheckBox_URL", "Отбирать по URL товара  ", "поле пустое", "есть URL на товар"},
    {"CheckBox_Pictures", "Отбирать по URL картинки", "поле пустое", "есть ссылка на картинку"},
};

} // namespace

// The selected goods: their codes in list order, each good read when its
// row is first shown, so a long selection opens at once.
class SelectedGoodsModel : public QAbstractTableModel {
public:
    SelectedGoodsModel(db::Connection& priceDb, int roundDigits, QObject* parent)
        : QAbstractTableModel(parent), priceDb_(priceDb), roundDigits_(roundDigits)
    {
    }

    void reset(std::vector<GoodsListEntry> entries)
    {
        beginResetModel();
        entries_ = std::move(entries);
        cache_.clear();
        endResetModel();
    }

    qint64 codeAt(int row) const
    {
        return row >= 0 && row < int(entries_.size()) ? entries_[size_t(row)].code : 0;
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(entries_.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const titles[] = {"Код", "Артикул", "Название", "Цена"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf8(titles[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const Good& good = goodAt(index.row());
        switch (index.column()) {
        case 0:
            return good.code;
        case 1:
            return good.art;
        case 2:
            return good.tovar;
        default:
            return RoundValue(roundDigits_, good.price1);
        }
    }

private:
    const Good& goodAt(int row) const
    {
        const qint64 code = codeAt(row);
        auto found = cache_.find(code);
        if (found == cache_.end()) {
            Good good;
            try {
                readGood(priceDb_, code, good);
            } catch (const db::DbError&) {
            }
            found = cache_.insert(code, good);
        }
        return *found;
    }

    db::Connection& priceDb_;
    int roundDigits_;
    std::vector<GoodsListEntry> entries_;
    mutable QHash<qint64, Good> cache_;
};

Form_ViewTovarSel::Form_ViewTovarSel(CatalogueWindowEnvironment environment, std::function<void(qint64)> editGood,
                                     QWidget* parent)
    : QDialog(parent), env_(std::move(environment)), editGood_(std::move(editGood))
{
    setObjectName(QStringLiteral("Form_ViewTovarSel"));
    setWindowTitle(QStringLiteral("Отобранные товары"));
    auto* conditionsBox = new QGroupBox(this);
    auto* conditionsLayout = new QGridLayout(conditionsBox);
    for (size_t i = 0; i < conditions_.size(); ++i) {
        const ConditionSpec& spec = kConditions[i];
        Condition& c = conditions_[i];
        c.box = named(new QCheckBox(QString::fromUtf8(spec.caption), conditionsBox), spec.box);
        c.first = new QRadioButton(QString::fromUtf8(spec.first), conditionsBox);
        c.first->setObjectName(QLatin1String(spec.box) + QStringLiteral("_1"));
        c.second = new QRadioButton(QString::fromUtf8(spec.second), conditionsBox);
        c.second->setObjectName(QLatin1String(spec.box) + QStringLiteral("_2"));
        auto* group = new QButtonGroup(conditionsBox);
        group->addButton(c.first);
        group->addButton(c.second);
        c.first->setChecked(true);
        conditionsLayout->addWidget(c.box, int(i), 0);
        conditionsLayout->addWidget(c.first, int(i), 1);
        conditionsLayout->addWidget(c.second, int(i), 2);
        connect(c.box, &QCheckBox::toggled, this, &Form_ViewTovarSel::enableConditions);
    }

    DBGrid_SelTovar = named(new QTableView(this), "DBGrid_SelTovar");
    model_ = new SelectedGoodsModel(*env_.priceDb, env_.roundDigits, this);
    DBGrid_SelTovar->setModel(model_);
    DBGrid_SelTovar->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    DBGrid_SelTovar->verticalHeader()->hide();
    DBGrid_SelTovar->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid_SelTovar->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid_SelTovar->setEditTriggers(QAbstractItemView::NoEditTriggers);

    DBEdit_Art = named(new QLineEdit(this), "DBEdit_Art");
    DBEdit_Tovar = named(new QLineEdit(this), "DBEdit_Tovar");
    Edit_Price = named(new QLineEdit(this), "Edit_Price");
    DBCheckBox_SuperPrice = named(new QCheckBox(QStringLiteral("Супер Цена"), this), "DBCheckBox_SuperPrice");
    DBEdit_Garant = named(new QLineEdit(this), "DBEdit_Garant");
    DBEdit_Nacen = named(new QLineEdit(this), "DBEdit_Nacen");
    for (QLineEdit* edit : {DBEdit_Art, DBEdit_Tovar, Edit_Price, DBEdit_Garant, DBEdit_Nacen})
        edit->setReadOnly(true);
    DBCheckBox_SuperPrice->setAttribute(Qt::WA_TransparentForMouseEvents);
    DBCheckBox_SuperPrice->setFocusPolicy(Qt::NoFocus);
    auto* details = new QGridLayout;
    details->addWidget(new QLabel(QStringLiteral("Артикул"), this), 0, 0);
    details->addWidget(DBEdit_Art, 0, 1);
    details->addWidget(new QLabel(QStringLiteral("Название"), this), 1, 0);
    details->addWidget(DBEdit_Tovar, 1, 1, 1, 3);
    details->addWidget(new QLabel(QStringLiteral("Цена"), this), 2, 0);
    details->addWidget(Edit_Price, 2, 1);
    details->addWidget(DBCheckBox_SuperPrice, 2, 2);
    details->addWidget(new QLabel(QStringLiteral("Гарантия"), this), 3, 0);
    details->addWidget(DBEdit_Garant, 3, 1);
    details->addWidget(new QLabel(QStringLiteral("Наценка"), this), 3, 2);
    details->addWidget(DBEdit_Nacen, 3, 3);

    Label_Count = named(new QLabel(this), "Label_Count");
    auto* select = named(new QPushButton(QStringLiteral("Отобрать"), this), "Button_Sel");
    auto* edit = named(new QPushButton(QStringLiteral("Изменить"), this), "Button_Edit");
    auto* exit = named(new QPushButton(QStringLiteral("Закрыть"), this), "Button_Exit");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label_Count, 1);
    buttons->addWidget(select);
    buttons->addWidget(edit);
    buttons->addWidget(exit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(conditionsBox);
    layout->addWidget(DBGrid_SelTovar, 1);
    layout->addLayout(details);
    layout->addLayout(buttons);

    connect(select, &QPushButton::clicked, this, &Form_ViewTovarSel::Button_SelClick);
    connect(edit, &QPushButton::clicked, this, &Form_ViewTovarSel::Button_EditClick);
    connect(DBGrid_SelTovar, &QTableView::doubleClicked, this, &Form_ViewTovarSel::Button_EditClick);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(DBGrid_SelTovar->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Form_ViewTovarSel::ADOQuery_SelTovarAfterScroll);
}

Form_ViewTovarSel::~Form_ViewTovarSel() = default;

void Form_ViewTovarSel::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_ViewTovarSel::enableConditions()
{
    for (Condition& c : conditions_) {
        c.first->setEnabled(c.box->isChecked());
        c.second->setEnabled(c.box->isChecked());
    }
}

void Form_ViewTovarSel::FormShow()
{
    enableConditions();
    showList(initialGoodsSelection());
}

GoodsSelection Form_ViewTovarSel::selection() const
{
    auto answer = [this](size_t i, bool firstMeansTrue) -> std::optional<bool> {
        const Condition& c = conditions_[i];
        if (!c.box->isChecked())
            return std::nullopt;
        return c.first->isChecked() == firstMeansTrue;
    };
    GoodsSelection s;
    s.priceAboveZero = answer(0, false);
    s.hasArticle = answer(1, false);
    s.superPrice = answer(2, true);
    s.hasUrl = answer(3, false);
    s.hasPicture = answer(4, false);
    return s;
}

void Form_ViewTovarSel::Button_SelClick() { showList(selection()); }

void Form_ViewTovarSel::showList(const GoodsSelection& selection)
{
    std::vector<GoodsListEntry> entries;
    try {
        entries = selectGoods(*env_.priceDb, selection);
    } catch (const db::DbError& e) {
        if (env_.error)
            env_.error(e.message());
    }
    Label_Count->setText(QStringLiteral("Отобрано товаров: %1").arg(entries.size()));
    model_->reset(std::move(entries));
    if (model_->rowCount() > 0)
        DBGrid_SelTovar->setCurrentIndex(model_->index(0, 2));
    else
        ADOQuery_SelTovarAfterScroll();
}

void Form_ViewTovarSel::ADOQuery_SelTovarAfterScroll()
{
    Good good;
    bool found = false;
    if (const qint64 code = currentCode(); code > 0) {
        try {
            found = readGood(*env_.priceDb, code, good);
        } catch (const db::DbError&) {
        }
    }
    if (!found)
        good = Good{};
    DBEdit_Art->setText(good.art);
    DBEdit_Tovar->setText(good.tovar);
    Edit_Price->setText(found ? QString::number(RoundValue(env_.roundDigits, good.price1)) : QString());
    DBCheckBox_SuperPrice->setChecked(good.superPrice);
    DBEdit_Garant->setText(good.garant);
    DBEdit_Nacen->setText(found ? QString::number(good.nacen) : QString());
    DBEdit_Nacen->setEnabled(!good.superPrice);
}

qint64 Form_ViewTovarSel::currentCode() const { return model_->codeAt(DBGrid_SelTovar->currentIndex().row()); }

void Form_ViewTovarSel::Button_EditClick()
{
    if (const qint64 code = currentCode(); code > 0 && editGood_)
        editGood_(code);
}

} // namespace velmora::catalogue
