// The settings panel's save and load buttons in the running program: what
// BitBtn4 writes, BitBtn3 brings back into the tree and the load queue.
#include "app/program.h"
#include "app/velmora_application.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "wired_installation.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

using namespace velmora;
using namespace velmora::testing;

namespace {

// The application object is the one database_commands_test.cpp sets up for
// this test program.

QStringList treeNames(Form_main& form)
{
    QStringList names;
    auto* tree = form.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    for (int i = 0; tree && i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(0);
    return names;
}

QStringList queueNames(Form_main& form)
{
    QStringList names;
    auto* queue = form.findChild<QListWidget*>(QStringLiteral("ListBox_LoadPrice"));
    for (int i = 0; queue && i < queue->count(); ++i)
        names << queue->item(i)->text();
    return names;
}

TEST(PriceListIniWiring, SavedSettingsLoadBackIntoTheTreeAndTheQueue)
{
    WiredInstallation inst;
    {
        db::Connection price = inst.priceDefaults();
        price.exec(QStringLiteral(
            "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion, Valuta)"
            " VALUES (1, 'Альфа', '/p/a.xls', 1, '', 1, 45000, 1, 0), (2, 'Бета', '/p/b.xls', 1, '', 1, 45000, 2.5, 0),"
            " (5, 'Гамма', '/p/c.xls', 0, '', 1, 45000, 1, 0)"));
        price.exec(QStringLiteral("INSERT INTO AllPostavPage (Postavshik, SheetName, Column_art, Column_Tovar, Column_Price)"
                                  " VALUES ('Альфа', 'Лист1', 1, 2, 3), ('Бета', 'Прайс', 305, 2, 100000004)"));
    }
    const QString folder = inst.shared;
    ProgramOptions options = inst.options();
    QString chosenIni;
    options.dialogs.folderName = [&](QWidget*, const QString&) { return folder; };
    options.dialogs.openFileName = [&](QWidget*, const QString&) { return chosenIni; };
    Program program(std::move(options));
    ASSERT_TRUE(program.start());
    Form_main& form = *program.Form_main();
    QElapsedTimer started;
    started.start();
    while (started.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    auto* queue = form.findChild<QListWidget*>(QStringLiteral("ListBox_LoadPrice"));
    ASSERT_NE(queue, nullptr);
    delete queue->takeItem(0); // "Альфа" leaves the queue
    const QStringList tree = treeNames(form);
    const QStringList queued = queueNames(form);
    ASSERT_EQ(tree, QStringList({"Альфа", "Бета", "Гамма"}));
    inst.messages.clear();

    form.findChild<QPushButton*>(QStringLiteral("BitBtn4"))->click();
    const QString ini = folder + QStringLiteral("SetupPriceList.ini");
    EXPECT_EQ(inst.messages, QStringList{"Настройки сохранены в:\r" + ini});

    form.ADOConnection.exec(QStringLiteral("DELETE FROM AllPostavSetup WHERE Id > 1"));
    runHook(form.hooks().BuildSupplierTree);
    ASSERT_EQ(treeNames(form), QStringList{"Альфа"});
    inst.messages.clear();
    chosenIni = ini;
    form.findChild<QPushButton*>(QStringLiteral("BitBtn3"))->click();

    EXPECT_EQ(treeNames(form), tree);
    EXPECT_EQ(queueNames(form), queued);
    EXPECT_EQ(form.ADOConnection.scalar(QStringLiteral("SELECT group_concat(Id) FROM AllPostavSetup")).toString(),
              QStringLiteral("1,2,3"));
    EXPECT_EQ(inst.messages, QStringList{"для поставщика PriceList3 не указано количество листов в файле\r\r\r"
                                         "Подкорректируйте настройки и сохраните ini-файл."})
        << "Гамма has no sheets";
    form.close();
}

} // namespace
