#pragma once
// A save dialog keeps a name as typed and asks about replacing only that
// name. The name a file is written under gets its format's extension when it
// has none, and replacing a file under the completed name is asked about too.
#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QWidget;

class SaveFileName
{
    Q_DECLARE_TR_FUNCTIONS(SaveFileName)
public:
    // The name with the extension of the chosen filter ("PNG (*.png)"), or
    // `fallback` when the filter names none, unless it already ends in one of
    // `known` (any letter case). A dot inside a name ("Report_2026.12.11")
    // is no extension.
    static QString withSuffix(const QString &fileName, const QString &chosenFilter, const QStringList &known,
                              const QString &fallback);

    // The name to write what the save dialog returned under (empty stays
    // empty): completed as above and, when completing changed it and that
    // file exists, only if the user agrees to replace it (asked through
    // Prompts with `title`); empty when declined.
    static QString confirmed(QWidget *parent, const QString &title, const QString &fileName,
                             const QString &chosenFilter, const QStringList &known, const QString &fallback);
};
