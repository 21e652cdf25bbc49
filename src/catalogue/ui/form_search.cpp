#include "form_search.h"

#include "ui_form_search.h"

#include "platform/db/db_error.h"

#include <QCloseEvent>
#include <QHeaderView>

namespace velmora::catalogue {

namespace {

constexpr int kNarrow = 154;
constexpr int kWide = 280;
constexpr int kHeight = 150;
// With results the window grows to show their list.
constexpr int kHeightWithResults = 340;

} // namespace

Form_Search::Form_Search(db::Connection& priceDb, QWidget* parent)
    : QDialog(parent), priceDb_(priceDb), ui(std::make_unique<Ui::Form_Search>())
{
    ui->setupUi(this);
    // The window takes the sizes of its modes, but never less than its
    // controls need (sizeFor).
    ui->Layout_Search->setSizeConstraint(QLayout::SetNoConstraint);
    ui->DBGrid_Search->verticalHeader()->hide();
    ui->DBGrid_Search->horizontalHeader()->setStretchLastSection(true);
    connect(ui->SpeedButton_ArtParam, &QToolButton::clicked, this, &Form_Search::SpeedButton_ArtParamClick);
    connect(ui->Button_Find, &QPushButton::clicked, this, &Form_Search::Button_FindClick);
    connect(ui->Button_Next, &QPushButton::clicked, this, &Form_Search::Button_NextClick);
    connect(ui->Button_Prior, &QPushButton::clicked, this, &Form_Search::Button_PriorClick);
    connect(ui->Edit_Search, &QLineEdit::returnPressed, ui->Button_Find, &QPushButton::click);
    connect(ui->DBGrid_Search, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { LocateFoundProduct(row); });
}

Form_Search::~Form_Search() = default;

void Form_Search::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void Form_Search::closeEvent(QCloseEvent* event)
{
    ui->Button_Next->hide();
    ui->Button_Prior->hide();
    emit closed();
    QDialog::closeEvent(event);
}

bool Form_Search::partialArticle() const { return ui->SpeedButton_ArtParam->text() == u"<"; }

void Form_Search::showArticleMode(bool partial)
{
    ui->SpeedButton_ArtParam->setText(partial ? QStringLiteral("<") : QStringLiteral(">"));
    ui->Label_Search->setText(partial ? QStringLiteral("Введите часть артикула") : QStringLiteral("  Введите артикул"));
    resize(sizeFor(partial ? kWide : kNarrow, height()));
}

QSize Form_Search::sizeFor(int width, int height) const
{
    return QSize(width, height).expandedTo(ui->Layout_Search->minimumSize());
}

void Form_Search::FormShow()
{
    ui->Button_Next->hide();
    ui->Button_Prior->hide();
    ui->Edit_Search->clear();
    ui->DBGrid_Search->setRowCount(0);
    ui->DBGrid_Search->hide();
    results_.clear();
    current_ = -1;
    resize(sizeFor(width(), kHeight));
    if (SearchField == u"Tovar") {
        ui->Label_Search->setText(QStringLiteral("            Введите часть названия товара"));
        ui->SpeedButton_ArtParam->hide();
        resize(sizeFor(kWide, kHeight));
    } else {
        ui->SpeedButton_ArtParam->show();
        showArticleMode(false);
    }
    ui->Edit_Search->setFocus();
}

void Form_Search::SpeedButton_ArtParamClick() { showArticleMode(!partialArticle()); }

void Form_Search::Button_FindClick()
{
    const GoodsSearchMode mode = SearchField == u"Tovar" ? GoodsSearchMode::NamePart
                                 : partialArticle()      ? GoodsSearchMode::PartialArticle
                                                         : GoodsSearchMode::ExactArticle;
    try {
        results_ = findGoods(priceDb_, mode, ui->Edit_Search->text());
    } catch (const db::DbError& e) {
        results_.clear();
        if (messages_)
            messages_(e.message());
    }
    current_ = -1;
    QTableWidget* grid = ui->DBGrid_Search;
    grid->setRowCount(int(results_.size()));
    for (int row = 0; row < int(results_.size()); ++row) {
        grid->setItem(row, 0, new QTableWidgetItem(results_[size_t(row)].art));
        grid->setItem(row, 1, new QTableWidgetItem(results_[size_t(row)].tovar));
    }
    const bool found = !results_.empty();
    grid->setVisible(found);
    ui->Button_Next->setVisible(found);
    ui->Button_Prior->setVisible(found);
    resize(sizeFor(found ? std::max(width(), kWide) : width(), found ? kHeightWithResults : kHeight));
    if (found)
        LocateFoundProduct(0);
}

void Form_Search::Button_NextClick()
{
    if (current_ + 1 < int(results_.size()))
        LocateFoundProduct(current_ + 1);
}

void Form_Search::Button_PriorClick()
{
    if (current_ > 0)
        LocateFoundProduct(current_ - 1);
}

void Form_Search::LocateFoundProduct(int row)
{
    if (row < 0 || row >= int(results_.size()))
        return;
    current_ = row;
    ui->DBGrid_Search->setCurrentCell(row, 0);
    ui->Button_Prior->setEnabled(row > 0);
    ui->Button_Next->setEnabled(row + 1 < int(results_.size()));
    emit locateRequested(results_[size_t(row)], ui->CheckBox_OpenGroup->isChecked());
}

} // namespace velmora::catalogue
