#include "program.h"

#include "form_about.h"
#include "form_logo.h"
#include "form_progress.h"
#include "window_placement.h"

#include <QApplication>

namespace velmora {

namespace {

UserDialogs completeDialogs(UserDialogs dialogs, bool interactive)
{
    const UserDialogs fallback = interactive ? messageBoxDialogs() : scriptedDialogs();
    // Warnings and errors go where the caller's messages go, when it gave
    // only those.
    if (!dialogs.warning)
        dialogs.warning = dialogs.error ? dialogs.error : dialogs.message ? dialogs.message : fallback.warning;
    if (!dialogs.error)
        dialogs.error = dialogs.message ? dialogs.message : fallback.error;
    if (!dialogs.message)
        dialogs.message = fallback.message;
    if (!dialogs.confirm)
        dialogs.confirm = fallback.confirm;
    if (!dialogs.openFileName)
        dialogs.openFileName = fallback.openFileName;
    if (!dialogs.folderName)
        dialogs.folderName = fallback.folderName;
    return dialogs;
}

} // namespace

Program::Program(ProgramOptions options) : options_(std::move(options))
{
    options_.dialogs = completeDialogs(std::move(options_.dialogs), options_.interactive);
}

Program::~Program() = default;

bool Program::start()
{
    Form_main_ = std::make_unique<velmora::Form_main>(globals_, options_.folders, options_.dialogs,
                                                      options_.mainWindow);
    wireSubsystems(*this);
    if (!Form_main_->FormCreate())
        return false;

    // The other windows, in the program's order of creation. Windows not
    // listed here join at their place in this order:
    //   Form_load, Form_PostavDel, [Form_Progress], Form_MainTovAdEd,
    //   Form_parametr, Form_DataLoad, Form_MinPrice, Form_AutoKrit,
    //   Form_NacenSet, Form_Nacen, Form_Export, Form_Search, Form_PriceExcel,
    //   Form_AutoKritPost, [Form_About], Form_Sklad, Form_Artikul,
    //   frmConnectionMaster, Form_Setup, Form_GroupSetup, [Form_Logo],
    //   Form_ViewTovarSel, Form_PostavZakaz, Form_ExcelSetup,
    //   Form_ShopsScript, Form_ZakazExcel, Form_LoadPricePostav,
    //   Form_SetupSvod, Form_PostavInvoice, Form_UserExport,
    //   Form_PostavSetup, Form_Column_Name, Form_BrendPriory.
    Form_Progress_ = std::make_unique<velmora::Form_Progress>(Form_main_.get());
    Form_About_ = std::make_unique<velmora::Form_About>(Form_main_.get());
    Form_Logo_ = std::make_unique<velmora::Form_Logo>(Form_main_.get(),
                                                      options_.interactive ? velmora::Form_Logo::DefaultWaitMs : 0);
    Form_Logo_->setQuestion(options_.dialogs.confirm);
    Form_main_->setSplash(Form_Logo_.get());
    Form_main_->setAboutWindow(Form_About_.get());

    showMainWindowAsLeft(*Form_main_, Form_main_->ADOConnection_Zakaz);
    return true;
}

int Program::exec()
{
    return QApplication::exec();
}

} // namespace velmora
