#include "ui/file_commands.h"

#include "files/file_names.h"
#include "files/report.h"
#include "files/scenario_file.h"
#include "scheme/scheme_edits.h"
#include "store/store_file.h"
#include "ui/analysis_commands.h"
#include "ui/command_guard.h"
#include "ui/desktop_opener.h"
#include "ui/diagram_picture.h"
#include "ui/file_panel.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/navigator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUrl>

#include <stdexcept>

namespace tarnvel {

namespace {

const QString kScenarioPattern = QStringLiteral("*.tvd;*.TVD");

} // namespace

FileCommands::FileCommands(frmMain &window, ProgramState &state)
    : m_window(window)
    , m_state(state)
{
    frFile = new FilePanel(&window);
    frFile->hide();
    connect(frFile, &FilePanel::confirmed, this, [this] { runCommand(&m_window, [this] { comFile_Click(); }); });
    connect(frFile, &FilePanel::cancelled, this, [this] { comCancel_Click(); });
}

// The store is the only copy of the scheme: a new project asks before it
// empties one that holds anything.
void FileCommands::mnuFileNew_Click()
{
    if (schemeHasInput(m_state.database())
        && showMessage(QStringLiteral("Все введённые данные текущего расчёта будут удалены. Начать новый расчёт?"),
                       MessageIcon::Question, MessageButtons::YesNo, m_window.windowTitle(), &m_window)
               != MessageAnswer::Yes)
        return;
    m_window.setCursor(Qt::WaitCursor);
    // The status texts are painted at once: nothing else may run while the
    // store is closed.
    auto status = [this](const QString &text) {
        m_window.setStatusText(text);
        m_window.statusBar()->repaint();
    };
    Navigator &navigator = m_window.navigator();
    try {
        newProjectStore(m_state.db, m_state.storeDirectory, status);
    } catch (const StoreError &) {
        // The scenario may already be emptied: show what the store now holds.
        if (m_state.db && m_state.db->isOpen()) {
            navigator.selectAndDisplayNode(QStringLiteral("Points"));
            navigator.selectAndDisplayNode(QStringLiteral("Shaft"));
        }
        m_window.unsetCursor();
        throw;
    }
    m_state.modes.clear();
    m_scenarioName.clear();
    navigator.selectAndDisplayNode(QStringLiteral("Points"));
    navigator.selectAndDisplayNode(QStringLiteral("Shaft"));
    m_window.unsetCursor();
}

// The name box suggests the scenario's own file, never the report's.
void FileCommands::mnuSave_Click()
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
void FileCommands::mnuFileOpen_Click()
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

void FileCommands::mnuReport_Click()
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

void FileCommands::comCancel_Click()
{
    frFile->hide();
    frFile->setEnabled(true);
    m_window.unsetCursor();
}

void FileCommands::comFile_Click()
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
        if (outcome == ReportOutcome::Written)
            offerToOpenReport(writtenTo);
        break;
    }
    default:
        break;
    }
}

// A report is written to be read: the page is offered to the browser the
// user chose for web pages, which finds the pictures beside it.
void FileCommands::offerToOpenReport(const QString &file)
{
    const QString name = QDir::toNativeSeparators(file);
    if (showMessage(QStringLiteral("Отчёт сохранён в файле: %1\n\nОткрыть его в браузере?").arg(name), MessageIcon::Question,
                    MessageButtons::YesNo, m_window.windowTitle(), &m_window)
        != MessageAnswer::Yes)
        return;
    if (!openOnDesktop(QUrl::fromLocalFile(QDir::fromNativeSeparators(file)))) {
        showMessage(QStringLiteral("Отчёт %1 не открыт: в системе не выбрана программа для страниц HTML. "
                                   "Откройте этот файл в браузере.")
                        .arg(name),
                    MessageIcon::Exclamation, MessageButtons::Ok, m_window.windowTitle(), &m_window);
    }
}

void FileCommands::saveScenario(const QString &target)
{
    m_window.setCursor(Qt::WaitCursor);
    // The free forces' equivalents travel with the scenario: brought up to date first.
    m_state.calculate();
    const QByteArray bytes = encodeScenario(readScenarioFromStore(m_state.database()));
    QString error;
    const bool saved = saveScenarioFile(target, bytes, &error);
    m_window.unsetCursor();
    if (saved)
        m_scenarioName = QFileInfo(target).fileName();
    if (!saved) {
        showMessage(QStringLiteral("Сценарий не сохранён в файле %1:\n%2").arg(QDir::toNativeSeparators(target), error),
                    MessageIcon::Exclamation, MessageButtons::Ok, m_window.windowTitle(), &m_window);
    }
}

void FileCommands::openScenario(const QString &target)
{
    m_window.setCursor(Qt::WaitCursor);
    m_window.tree()->repaint();
    QString error;
    const std::optional<Scenario> scenario = loadScenarioFile(target, &error);
    if (!scenario) {
        m_window.unsetCursor();
        showMessage(QStringLiteral("Сценарий не открыт из файла %1:\n%2").arg(QDir::toNativeSeparators(target), error),
                    MessageIcon::Exclamation, MessageButtons::Ok, m_window.windowTitle(), &m_window);
        return;
    }
    // Only now is the open project given up for the file's: emptied and
    // written again in one transaction, so that a failure keeps it whole.
    auto status = [this](const QString &text) { m_window.setStatusText(text); };
    QStringList notes;
    try {
        notes = openScenarioInStore(m_state.db, m_state.storeDirectory, *scenario, status);
    } catch (const std::invalid_argument &refused) {
        m_window.unsetCursor();
        showMessage(QStringLiteral("Сценарий не открыт из файла %1:\n%2")
                        .arg(QDir::toNativeSeparators(target), QString::fromUtf8(refused.what())),
                    MessageIcon::Exclamation, MessageButtons::Ok, m_window.windowTitle(), &m_window);
        return;
    } catch (const StoreError &) {
        m_state.modes.clear();
        m_window.unsetCursor();
        if (m_state.db && m_state.db->isOpen()) {
            m_window.navigator().selectAndDisplayNode(QStringLiteral("Points"));
            m_window.navigator().selectAndDisplayNode(QStringLiteral("Shaft"));
        }
        throw;
    }
    m_state.modes.clear();
    m_window.unsetCursor();
    m_scenarioName = QFileInfo(target).fileName();
    m_window.navigator().selectAndDisplayNode(QStringLiteral("Points"));
    m_window.navigator().selectAndDisplayNode(QStringLiteral("Shaft"));
    if (!notes.isEmpty())
        showMessage(notes.join(QLatin1Char('\n')), MessageIcon::Information, MessageButtons::Ok, m_window.windowTitle(), &m_window);
}

ReportOutcome FileCommands::writeReport(const QString &target, QString *writtenTo)
{
    AnalysisCommands &analysis = m_window.analysis();
    if (!analysis.BaseRefresh())
        return ReportOutcome::Incomplete;
    CalculationRequest request;
    request.diagrams = true;
    if (!analysis.settle(request) || !m_state.calculate(request).diagrams)
        return ReportOutcome::Incomplete;
    m_window.list()->show();
    m_window.tree()->show();
    m_window.setCursor(Qt::WaitCursor);

    const QString file = withExtension(target, QStringLiteral(".htm"));
    if (writtenTo)
        *writtenTo = QDir::toNativeSeparators(file);
    ReportSettings settings;
    settings.reportFile = file;
    settings.locale = QLocale();
    QString error;
    const bool written = writeCalculationReport(m_state.inputs(), m_state.calculate(request), settings, &error);
    m_window.unsetCursor();
    if (!written) {
        showMessage(QStringLiteral("Отчёт не сохранён в файле %1:\n%2").arg(QDir::toNativeSeparators(file), error),
                    MessageIcon::Exclamation, MessageButtons::Ok, m_window.windowTitle(), &m_window);
        return ReportOutcome::NotWritten;
    }
    return ReportOutcome::Written;
}

} // namespace tarnvel
