#include "app/DatabaseIndexes.h"

#include "app/Framework.h"
#include "common/ProgressDialog.h"
#include "database/IndexBuild.h"

#include <QPointer>

DatabaseIndexes prepareDatabaseIndexes(Framework &framework, ProgressDialog *progress, const QString &path)
{
    QSqlDatabase db = framework.dataDatabase.database();
    QString error;
    const QList<DatabaseStructure::Index> missing = indexBuild::missing(db, &error);
    if (!error.isEmpty()) {
        emit framework.consoleMessage(error, 2);
        return DatabaseIndexes::Ready;
    }
    if (missing.isEmpty())
        return DatabaseIndexes::Ready;

    const int total = missing.size();
    emit framework.consoleMessage(Framework::tr("Preparing the database %1: building the indexes it lacks. This is "
                                                "done once and may take a while for a large database.")
                                      .arg(path),
                                  0);
    const QPointer<ProgressDialog> dialog(progress);
    // One step per index, each its own phase of the open's window.
    const auto step = [dialog, total](int index) {
        ProgressDialog::postPhase(dialog,
                                  Framework::tr("Building the database indexes (%1 of %2)...")
                                      .arg(index + 1)
                                      .arg(total),
                                  total);
        ProgressDialog::postUpdate(dialog, index);
    };
    const indexBuild::Outcome outcome = indexBuild::run(db, missing, &framework.cancelFlag, step, &error);
    // Back to the open's own busy window for the rest of it.
    ProgressDialog::postPhase(dialog, QString(), 0);

    switch (outcome) {
    case indexBuild::Outcome::Built:
        break;
    case indexBuild::Outcome::Cancelled:
        emit framework.consoleMessage(Framework::tr("Opening the database was canceled while its indexes were being "
                                                    "built; the file %1 is left as it was.")
                                          .arg(path),
                                      2);
        return DatabaseIndexes::Cancelled;
    case indexBuild::Outcome::Failed:
        // The indexes change no result: the database opens without them.
        emit framework.consoleMessage(Framework::tr("The indexes of the database %1 could not be built: %2. It opens "
                                                    "without them; look-ups in it may be slow.")
                                          .arg(path, error),
                                      2);
        break;
    }
    return DatabaseIndexes::Ready;
}
