// The combined stock export in the wired program of the client Ormita-Club:
// the export button opens its window, a supplier moved out of the export
// list leaves the workbook, the run ends with its status; the load
// thread's request starts it with every other supplier.
#include "app/main_status_bar.h"
#include "app/program.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"

#include "platform/spreadsheet/workbook.h"
#include "suppliers/loader/load_queue_panel.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

using namespace velmora;
using namespace velmora::testing;

namespace {

// The application object comes from main_shell_test.cpp's environment.

const QString kFinished = QStringLiteral(" Экспорт сводного успешно ЗАВЕРШЕН!    файл обновлен: ");

template <typename T>
T* control(QObject* root, const char* name)
{
    T* found = root->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Events until the status bar says the run ended (or 30 s went by).
QString waitForExportEnd(Form_main& form)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QString status = mainStatusText(form, 1);
        if (status.startsWith(kFinished) || status.contains(QStringLiteral("ОСТАНОВЛЕН")))
            return status;
    }
    return mainStatusText(form, 1);
}

struct StockInstallation : WiredInstallation {
    StockInstallation()
    {
        setUserKey(QStringLiteral("Ormita-Club"), QStringLiteral("1"));
        QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/Price-svod.xlsx"), program + QStringLiteral("Price-svod.xlsx"));
        db::Connection price = priceDefaults();
        price.exec(QStringLiteral(
            "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Valuta, PriceConversion, Dates, Obrab,"
            " PostavVisible) VALUES (1, 'Альфа', '-', 1, 0, 1, 0, '', 1), (2, '_Наш склад', '-', 1, 0, 1, 0, '', 1),"
            " (3, 'Бета', '-', 1, 0, 1, 0, '', 1);"
            "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, Description, Sklad) VALUES"
            " ('_Наш склад', 'A1', 'Свеча', 'K1', '3'), ('Альфа', 'x', 'Свеча', 'k1', '5'),"
            " ('Бета', 'y', 'Свеча', 'K1', '12 шт')"));
    }

    // The header row's names from F to the maximum's column.
    QStringList headers(const QString& path)
    {
        sheet::Workbook book = sheet::Workbook::open(path);
        QStringList names;
        for (int column = 6; column <= 8; ++column)
            names << book.sheet(1).value(2, column).toText();
        return names;
    }
};

TEST(WiredUserExport, TheExportButtonOpensTheWindowAndTheRunEndsWithItsStatus)
{
    StockInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QCoreApplication::processEvents();

    QString status;
    QStringList exported;
    QTimer::singleShot(0, &form, [&] {
        auto* window = form.findChild<QDialog*>(QStringLiteral("Form_UserExport"));
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Экспорт сводного прайс-листа"));
        auto* pages = control<QTabWidget>(window, "PageControl_UserExport");
        EXPECT_FALSE(pages->isTabVisible(1)); // "Наценки" under Ormita
        auto* base = control<QListWidget>(window, "ListBox_base");
        auto* list = control<QListWidget>(window, "ListBox_export");
        ASSERT_EQ(base->count(), 1);
        EXPECT_EQ(base->item(0)->text(), QStringLiteral("_Наш склад"));
        ASSERT_EQ(list->count(), 2);
        list->setCurrentRow(1); // Бета
        control<QPushButton>(window, "Button_AddOne")->click();
        for (int i = 0; i < list->count(); ++i)
            exported << list->item(i)->text();
        EXPECT_EQ(base->count(), 2);
        auto* button = control<QPushButton>(window, "Button_Export");
        button->click();
        EXPECT_EQ(button->text(), QStringLiteral("Остановить!"));
        status = waitForExportEnd(form);
        EXPECT_EQ(button->text(), QStringLiteral("Экспорт в Excel"));
        window->accept();
    });
    control<QToolButton>(&form, "ToolButton_Export")->click();
    EXPECT_EQ(exported, QStringList{QStringLiteral("Альфа")});
    ASSERT_TRUE(status.startsWith(kFinished)) << status.toStdString();
    const QString path = status.mid(kFinished.size());
    EXPECT_EQ(QFileInfo(path).dir().absolutePath(), QDir(inst.program).absolutePath());
    EXPECT_EQ(inst.headers(path), (QStringList{"Альфа", "Максимум", ""}));
    // Closing the window empties the status.
    EXPECT_EQ(mainStatusText(form, 1), QString());
    form.close();
}

TEST(WiredUserExport, TheLoadThreadsRequestExportsEveryOtherSupplier)
{
    StockInstallation inst;
    Program program(inst.options());
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QCoreApplication::processEvents();

    auto* queue = form.findChild<loader::LoadQueuePanel*>();
    ASSERT_NE(queue, nullptr);
    emit queue->combinedExportRequested(QStringLiteral("_Наш склад"), {QStringLiteral("Альфа"), QStringLiteral("Бета")});
    const QString status = waitForExportEnd(form);
    ASSERT_TRUE(status.startsWith(kFinished)) << status.toStdString();
    EXPECT_EQ(inst.headers(status.mid(kFinished.size())), (QStringList{"Альфа", "Бета", "Максимум"}));
    sheet::Workbook book = sheet::Workbook::open(status.mid(kFinished.size()));
    EXPECT_EQ(book.sheet(1).value(4, 8).toNumber(), 12);
    form.close();
}

} // namespace
