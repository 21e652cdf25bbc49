#pragma once

#include <QString>
#include <QStringList>

namespace velmora::loader {

inline const QString kStartLoadCaption = QStringLiteral("Загрузить прайс-листы");
inline const QString kStopLoadCaption = QStringLiteral("Остановить загрузку");

// What a queue run needs from its thread: the status protocol, the stop
// flag, pauses, and the work itself. The thread implements it; tests stub it.
class QueueRunHost {
public:
    virtual ~QueueRunHost() = default;
    // The two shared texts: status bar panel 1 and the start/stop button.
    virtual void report(const QString& statusText, const QString& buttonCaption) = 0;
    virtual bool stopRequested() const = 0;
    virtual void pause(int milliseconds) = 0;
    // Loads one list; returns its error text ("" on success). `statusText`
    // is the current status, which the load's own progress extends.
    virtual QString loadPriceList(const QString& name, const QString& statusText) = 0;
    // Exports one list and returns the folder it went into; throw
    // exports::ExportError with the user's text.
    virtual QString exportCsv(const QString& name) = 0;
    virtual QString exportWorkbook(const QString& name) = 0;
    // The combined export of the two client modes, and the re-pricing timer.
    virtual void startCombinedExport(const QString& ownStockName) = 0;
    virtual void armRepricing() = 0;
};

struct QueueSwitches {
    bool brevikMoto = false; // SetupUser.ini Brevik-Moto = "1"
    bool ormita = false;     // ClientModeOrmita
    bool exportCsv = false;  // SetupUser.ini Export_CSV = "1"
    bool autoExport = true;  // setting AutoExportPrice
    bool singleList = false; // one list loaded on request: no after-queue step
};

struct QueuePauses {
    int afterError = 500;
    int afterQueue = 500;
    int afterExport = 1000;
};

struct QueueRunOutcome {
    int loaded = 0;       // lists loaded without an error text
    int failed = 0;       // lists that returned an error text
    QStringList failedNames;
    QStringList exportFolders; // where the exports went, each once
    bool stopped = false; // a stop request ended the run
    QString statusText;   // the last status reported
};

// The body of the load thread: loads `names` (the queue from the selected
// entry on, copied when the run started) one after another, polling the
// stop request before each list and each export, then runs the after-queue
// step: the combined export in the two client modes, else the CSV or the
// workbook export of every list that loaded when automatic export is on.
// When a list failed, the final status names the failed lists ("Загружено
// N из M, с ошибками: ...") in place of the report of success; either names
// the folders the exports went into. Counts agree with their nouns. Export
// failures end the run with their text; any other exception reaches the
// caller.
QueueRunOutcome RunLoadQueue(const QStringList& names, QueueRunHost& host, const QueueSwitches& switches,
                             const QueuePauses& pauses = {});

} // namespace velmora::loader
