// Saving and opening scenario files and writing the report, through the file
// panel embedded in the main window.

#include "ui/main_window.h"

#include "files/file_names.h"
#include "files/report.h"
#include "files/scenario_file.h"
#include "store/store_file.h"
#include "ui/diagram_picture.h"
#include "ui/file_panel.h"
#include "ui/message_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>

#include <stdexcept>

namespace tarnvel {

namespace {

const QString kScenarioPattern = QStringLiteral("*.tvd;*.TVD");

} // namespace

// The name box suggests the scenario's own file, never the report's.
void frmMain::mnuSave_Click()
{
    if (!m_scenarioName.isEmpty())
        frFile->setFileNameText(m_scenarioName);
    else if (m_panelMode != 1)
        frFile->setFileNameText(QString());
    frFile->setPattern(kScenarioPattern);
    frFile->refreshFiles();
    frFile->txtFileName_Change();
    frFile->raise();
    m_panelMode = 1;
    frFile->setCaption(QStringLiteral("Сохранить сценарий расчёта"));
    frFile->show();
}

// The open project stays as it is until a file has been chosen, read and
// found sound: cancelling the panel loses nothing.
void frmMain::mnuFileOpen_Click()
{
    m_panelMode = 2;
    frFile->setCaption(QStringLiteral("Открыть сценарий расчёта"));
    frFile->setPattern(kScenarioPattern);
    frFile->refreshFiles();
    frFile->setFileNameText(QString());
    frFile->txtFileName_Change();
    frFile->raise();
    frFile->show();
}

void frmMain::mnuReport_Click()
{
    m_panelMode = 3;
    frFile->setCaption(QStringLiteral("Сохранение отчёта в формате HTML"));
    frFile->setFileNameText(QString());
    frFile->setPattern(QStringLiteral("*.htm"));
    frFile->refreshFiles();
    frFile->txtFileName_Change();
    frFile->raise();
    frFile->show();
}

void frmMain::comCancel_Click()
{
    frFile->hide();
    frFile->setEnabled(true);
    unsetCursor();
}

void frmMain::comFile_Click()
{
    frFile->hide();
    frFile->setEnabled(true);
    QCoreApplication::processEvents();
    const QString directory = frFile->highlightedDirectory();
    const QString typed = frFile->fileNameText();
    switch (m_panelMode) {
    case 1:
        saveScenario(scenarioFileName(directory, typed));
        break;
    case 2:
        openScenario(scenarioFileName(directory, typed));
        break;
    case 3: {
        QString writtenTo;
        const ReportOutcome outcome = writeReport(composeTargetName(directory, typed), &writtenTo);
        if (outcome == ReportOutcome::Written) {
            showMessage(QStringLiteral("Отчёт сохранён в файле: ") + writtenTo, MessageIcon::Information,
                        MessageButtons::Ok, windowTitle(), this);
        }
        break;
    }
    default:
        break;
    }
}

void frmMain::saveScenario(const QString &target)
{
    setCursor(Qt::WaitCursor);
    // The free forces' equivalents travel with the scenario: brought up to date first.
    m_state.calculate();
    const QByteArray bytes = encodeScenario(readScenarioFromStore(m_state.database()));
    QString error;
    const bool saved = saveScenarioFile(target, bytes, &error);
    unsetCursor();
    if (saved)
        m_scenarioName = QFileInfo(target).fileName();
    if (!saved) {
        showMessage(QStringLiteral("Сценарий не сохранён в файле %1:\n%2").arg(QDir::toNativeSeparators(target), error),
                    MessageIcon::Exclamation, MessageButtons::Ok, windowTitle(), this);
    }
}

void frmMain::openScenario(const QString &target)
{
    setCursor(Qt::WaitCursor);
    TV->repaint();
    QString error;
    const std::optional<Scenario> scenario = loadScenarioFile(target, &error);
    if (!scenario) {
        unsetCursor();
        showMessage(QStringLiteral("Сценарий не открыт из файла %1:\n%2").arg(QDir::toNativeSeparators(target), error),
                    MessageIcon::Exclamation, MessageButtons::Ok, windowTitle(), this);
        return;
    }
    // Only now is the open project given up for the file's: emptied and
    // written again in one transaction, so that a failure keeps it whole.
    auto status = [this](const QString &text) { setStatusText(text); };
    QStringList notes;
    try {
        notes = openScenarioInStore(m_state.db, m_state.storeDirectory, *scenario, status);
    } catch (const std::invalid_argument &refused) {
        unsetCursor();
        showMessage(QStringLiteral("Сценарий не открыт из файла %1:\n%2")
                        .arg(QDir::toNativeSeparators(target), QString::fromUtf8(refused.what())),
                    MessageIcon::Exclamation, MessageButtons::Ok, windowTitle(), this);
        return;
    } catch (const StoreError &) {
        m_state.modes.clear();
        unsetCursor();
        if (m_state.db && m_state.db->isOpen()) {
            selectAndDisplayNode(QStringLiteral("Points"));
            selectAndDisplayNode(QStringLiteral("Shaft"));
        }
        throw;
    }
    m_state.modes.clear();
    unsetCursor();
    m_scenarioName = QFileInfo(target).fileName();
    selectAndDisplayNode(QStringLiteral("Points"));
    selectAndDisplayNode(QStringLiteral("Shaft"));
    if (!notes.isEmpty())
        showMessage(notes.join(QLatin1Char('\n')), MessageIcon::Information, MessageButtons::Ok, windowTitle(), this);
}

frmMain::ReportOutcome frmMain::writeReport(const QString &target, QString *writtenTo)
{
    if (!BaseRefresh())
        return ReportOutcome::Incomplete;
    CalculationRequest request;
    request.diagrams = true;
    if (!settle(request) || !m_state.calculate(request).diagrams)
        return ReportOutcome::Incomplete;
    LV->show();
    TV->show();
    setCursor(Qt::WaitCursor);

    const QString file = withExtension(target, QStringLiteral(".htm"));
    if (writtenTo)
        *writtenTo = QDir::toNativeSeparators(file);
    ReportSettings settings;
    settings.reportFile = file;
    settings.locale = QLocale();
    QString error;
    const bool written = writeCalculationReport(m_state.inputs(), m_state.calculate(request), settings, &error);
    unsetCursor();
    if (!written) {
        showMessage(QStringLiteral("Отчёт не сохранён в файле %1:\n%2").arg(QDir::toNativeSeparators(file), error),
                    MessageIcon::Exclamation, MessageButtons::Ok, windowTitle(), this);
        return ReportOutcome::NotWritten;
    }
    return ReportOutcome::Written;
}

} // namespace tarnvel
