#include "ui/shaft_views.h"

#include "analysis/calculation.h"
#include "analysis/shaft_inputs.h"
#include "analysis/shaft_pictures.h"
#include "analysis/shaft_steels.h"
#include "store/database.h"
#include "store/numbers.h"
#include "ui/analysis_commands.h"
#include "ui/detail_view.h"
#include "ui/diagram_picture.h"
#include "ui/dialogs/steel_dialog.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/modal_dialog.h"
#include "ui/navigator.h"

#include <QTreeWidget>

#include <stdexcept>

namespace tarnvel {

namespace {

// A step's value row: "3 SL" length, "3 SD" outer diameter, "3 SB" bore.
struct StepField
{
    int step = 0; // from 1
    QChar field;
};

std::optional<StepField> stepField(const QString &key)
{
    const QStringList parts = key.split(QLatin1Char(' '));
    if (parts.size() != 2 || parts[1].size() != 2 || parts[1][0] != QLatin1Char('S'))
        return std::nullopt;
    const QChar field = parts[1][1];
    bool ok = false;
    const int step = parts[0].toInt(&ok);
    if (!ok || step < 1 || (field != QLatin1Char('L') && field != QLatin1Char('D') && field != QLatin1Char('B')))
        return std::nullopt;
    return StepField { step, field };
}

// A setting's value row: "2 SET".
std::optional<int> settingOf(const QString &key)
{
    if (!key.endsWith(QLatin1String(" SET")))
        return std::nullopt;
    bool ok = false;
    const int id = key.left(key.size() - 4).toInt(&ok);
    return ok && shaftSettingInfo(id) ? std::optional<int>(id) : std::nullopt;
}

QString steelText(const ShaftSteel &steel)
{
    // A steel the user added may have no treatment given.
    QString text
        = steel.treatment.isEmpty() ? steel.grade : QStringLiteral("%1 — %2").arg(steel.grade, steel.treatment);
    if (steel.blankDiameter > 0)
        text += QStringLiteral(", заготовка до %1 мм").arg(SqlNum(steel.blankDiameter));
    if (!steel.hardness.isEmpty())
        text += QStringLiteral(", ") + steel.hardness;
    return text;
}

QString number(double value) { return SqlNum(storedNumber(value)); }

} // namespace

ShaftViews::ShaftViews(frmMain &window, ProgramState &state)
    : m_window(window)
    , m_state(state)
{
}

bool ShaftViews::isViewKey(const QString &key)
{
    return isOneOf(key, { "ShaftSteps", "ShaftSteel", "ShaftLimits", "ShaftStrength", "ShaftStiffness" });
}

bool ShaftViews::isDiagramKey(const QString &key)
{
    return isOneOf(key, { "TorqueEpur", "EquivalentEpur", "DiameterEpur", "DeflectionEpur", "SlopeEpur" });
}

bool ShaftViews::isCommandKey(const QString &key)
{
    return isOneOf(key, { "AddStep", "RemoveStep", "AddSteel", "RemoveSteel" });
}

bool ShaftViews::isValueKey(const QString &key)
{
    return key == QLatin1String("SteelChoice") || stepField(key) || settingOf(key);
}

void ShaftViews::enterView(const QString &key)
{
    m_window.DetalView(true);
    if (QTreeWidgetItem *node = m_window.nodeByKey(key); node && node != m_window.tree()->currentItem())
        m_window.tree()->setCurrentItem(node);
    m_window.detail().beginView(key);
}

bool ShaftViews::keepsAxis(const QString &rowKey)
{
    if (rowKey != QLatin1String("53 ID"))
        return false;
    const ShaftInputs shaft = readShaftInputs(m_state.database());
    if (shaft.segments.isEmpty())
        return false;
    showMessage(QStringLiteral("Длина оси эпюры моментов — это длина вала по ступеням, %1 мм. "
                               "Она меняется вместе со ступенями вала.")
                    .arg(number(shaft.length())),
        MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"), &m_window);
    return true;
}

void ShaftViews::show(const QString &key)
{
    if (key == QLatin1String("ShaftSteps"))
        showSteps();
    else if (key == QLatin1String("ShaftSteel"))
        showSteel();
    else if (key == QLatin1String("ShaftLimits"))
        showLimits();
    else
        showResults(key == QLatin1String("ShaftStrength"));
}

void ShaftViews::showSteps()
{
    enterView(QStringLiteral("ShaftSteps"));
    DetailView &detail = m_window.detail();
    const ShaftInputs shaft = readShaftInputs(m_state.database());
    for (qsizetype i = 0; i < shaft.segments.size(); ++i) {
        const ShaftSegment &s = shaft.segments.at(i);
        const QString step = QString::number(i + 1);
        const std::pair<const char *, std::pair<QString, double>> fields[] = {
            { "L", { QStringLiteral("Ступень %1: длина, мм"), s.length } },
            { "D", { QStringLiteral("Ступень %1: наружный диаметр D, мм"), s.outer } },
            { "B", { QStringLiteral("Ступень %1: диаметр отверстия d, мм"), s.bore } },
        };
        for (const auto &[field, row] : fields) {
            const QString value = number(row.second);
            detail.setValueCell(detail.addRow(step + QStringLiteral(" S") + QLatin1String(field), row.first.arg(step), 4),
                value, value);
        }
    }
    if (!shaft.segments.isEmpty()) {
        const QString total = number(shaft.length());
        detail.setValueCell(detail.addRow(QStringLiteral("ShaftLength"), QStringLiteral("Длина вала (ось эпюр), мм"), 0),
            total, total);
    }
    detail.addRow(QStringLiteral("AddStep"), QStringLiteral("Добавить ступень"), 6);
    if (!shaft.segments.isEmpty())
        detail.addRow(QStringLiteral("RemoveStep"), QStringLiteral("Удалить последнюю ступень"), 4);
}

void ShaftViews::showSteel()
{
    enterView(QStringLiteral("ShaftSteel"));
    DetailView &detail = m_window.detail();
    const ShaftInputs shaft = readShaftInputs(m_state.database());
    const QString chosen = shaft.steel ? steelText(*shaft.steel) : QStringLiteral("не выбрана");
    QTreeWidgetItem *choice = detail.addRow(QStringLiteral("SteelChoice"), QStringLiteral("Сталь вала"), 4);
    detail.setValueCell(choice, chosen, chosen);
    choice->setData(1, ChoiceRole, true);
    if (shaft.steel)
        showSteelProperties(*shaft.steel);
    detail.addRow(QStringLiteral("AddSteel"), QStringLiteral("Добавить сталь..."), 6);
    // The handbook's rows stay; only a steel the user added may go.
    if (shaft.steel && isUserSteel(m_state.database(), shaft.steel->id))
        detail.addRow(QStringLiteral("RemoveSteel"), QStringLiteral("Удалить сталь из каталога"), 4);
}

void ShaftViews::showSteelProperties(const ShaftSteel &s)
{
    DetailView &detail = m_window.detail();
    const std::pair<QString, QString> rows[] = {
        { QStringLiteral("Предел прочности σв, МПа"), number(s.sigmaB) },
        { QStringLiteral("Предел текучести σт, МПа"), number(s.sigmaT) },
        { QStringLiteral("Предел текучести при кручении τт, МПа"), number(s.tauT) },
        { QStringLiteral("Предел выносливости при изгибе σ-1, МПа"), number(s.sigmaM1) },
        { QStringLiteral("Предел выносливости при кручении τ-1, МПа"), number(s.tauM1) },
        { QStringLiteral("Коэффициент ψτ"), number(s.psiTau) },
        { QStringLiteral("Модуль упругости E, МПа"), number(s.E) },
        { QStringLiteral("Источник"), s.source },
    };
    for (const auto &[caption, value] : rows)
        detail.setValueCell(detail.addRow(QString(), caption, 0), value, value);
}

void ShaftViews::showLimits()
{
    enterView(QStringLiteral("ShaftLimits"));
    DetailView &detail = m_window.detail();
    m_state.calculate(); // the inputs come with it
    const ShaftInputs &shaft = m_state.inputs().shaft;
    for (const ShaftSettingInfo &info : shaftSettingInfos()) {
        double value = shaft.setting(info.id);
        QString source = info.source;
        if (info.id == shaftSetting::slopeLeft || info.id == shaftSetting::slopeRight) {
            const int side = info.id == shaftSetting::slopeLeft ? 0 : 1;
            const std::optional<BearingSettings> &bearing
                = m_state.inputs().supports.at(static_cast<std::size_t>(side)).settings;
            const int type = bearing ? bearing->typeCode : 0;
            if (!shaft.isSet(info.id))
                value = defaultAllowedSlope(type);
            source = allowedSlopeSource(type);
        }
        const QString caption = info.unit.isEmpty() ? info.caption : info.caption + QStringLiteral(", ") + info.unit;
        QTreeWidgetItem *row = detail.addRow(QString::number(info.id) + QStringLiteral(" SET"), caption, 4);
        const QString text = number(value);
        detail.setValueCell(row, text, text);
        row->setToolTip(0, shaft.isSet(info.id) ? QStringLiteral("Задано пользователем") : QStringLiteral("По умолчанию: ") + source);
    }
}

void ShaftViews::showResults(bool strength)
{
    const QString key = strength ? QStringLiteral("ShaftStrength") : QStringLiteral("ShaftStiffness");
    CalculationRequest request;
    request.diagrams = true;
    if (!m_window.analysis().settle(request))
        return;
    if (sentToSteps(m_state.calculate(request).shaft))
        return;
    enterView(key);
    const Calculation &calc = m_state.calculate(request);
    DetailView &detail = m_window.detail();
    const QVector<ResultRow> rows = strength ? shaftStrengthRows(calc.shaft, calc.unit) : shaftStiffnessRows(calc.shaft);
    for (const ResultRow &r : rows) {
        QTreeWidgetItem *row = detail.addRow(r.key, r.caption, r.exceeded ? 7 : 0);
        const QString value = r.valueText();
        detail.setValueCell(row, value, value);
    }
}

// A support or a point off the steps: the engineer is told which and taken to
// the steps, where the shaft is put right.
bool ShaftViews::sentToSteps(const ShaftCheckResult &shaft)
{
    if (!shaft.offShaft)
        return false;
    showMessage(*shaft.offShaft, MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"), &m_window);
    m_window.navigator().selectAndDisplayNode(QStringLiteral("ShaftSteps"));
    return true;
}

void ShaftViews::showDiagram(const QString &key)
{
    Navigator &navigator = m_window.navigator();
    CalculationRequest request;
    request.diagrams = true;
    if (!m_window.analysis().settle(request) || !m_state.calculate(request).shaft.computed) {
        if (m_window.detail().isTextEditorOpen() || m_state.blnIncomplete)
            m_window.detail().LV_Click();
        return;
    }
    if (sentToSteps(m_state.calculate(request).shaft))
        return;
    ShaftPicture which = ShaftPicture::Torque;
    if (key == QLatin1String("EquivalentEpur"))
        which = ShaftPicture::EquivalentMoment;
    else if (key == QLatin1String("DiameterEpur"))
        which = ShaftPicture::RequiredDiameter;
    else if (key == QLatin1String("DeflectionEpur"))
        which = ShaftPicture::Deflection;
    else if (key == QLatin1String("SlopeEpur"))
        which = ShaftPicture::Slope;
    // The bent shaft needs its steps and its steel's E: the engineer is asked
    // for what is missing and taken to it.
    if (const ShaftCheckResult &shaft = m_state.calculate(request).shaft; !hasShaftPicture(shaft, which)) {
        const bool steps = !shaft.hasGeometry;
        showMessage(steps ? QStringLiteral("Задайте ступени вала...") : QStringLiteral("Выберите сталь вала..."),
            MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"), &m_window);
        navigator.selectAndDisplayNode(steps ? QStringLiteral("ShaftSteps") : QStringLiteral("ShaftSteel"));
        return;
    }
    navigator.selectAndDisplayNode(QStringLiteral("ShaftEpur"));
    if (QTreeWidgetItem *again = navigator.nodeByKey(key)) {
        navigator.tree()->setCurrentItem(again);
        m_window.setStatusText(again->text(0));
    }
    const Calculation &calc = m_state.calculate(request);
    DiagramPicture *picture = m_window.picture();
    drawShaftPicture(calc.shaft, which, calc.unit, picture->bitmap());
    picture->move(m_window.list()->pos());
    picture->show();
    picture->raise();
    picture->update();
}

void ShaftViews::act(const QString &key)
{
    if (key == QLatin1String("AddSteel") || key == QLatin1String("RemoveSteel")) {
        actOnSteel(key);
        return;
    }
    Database &db = m_state.database();
    QVector<ShaftSegment> segments = readShaftInputs(db).segments;
    if (key == QLatin1String("RemoveStep")) {
        if (!segments.isEmpty())
            segments.removeLast();
    } else if (segments.isEmpty()) {
        // The first step spans the whole axis, so that every load lies on
        // the shaft from the start; the engineer then divides it.
        const Calculation &calc = m_state.calculate();
        const double axis = m_state.inputs().commonValue(53);
        const double length = axis > 0 ? axis : calc.L > 0 ? calc.L : 100;
        segments.append({ std::clamp(length, 1.0, 32767.0), 40, 0 });
    } else {
        ShaftSegment next = segments.last();
        next.length = 10;
        segments.append(next);
    }
    writeShaftSegments(db, segments);
    showSteps();
}

void ShaftViews::actOnSteel(const QString &key)
{
    Database &db = m_state.database();
    if (key == QLatin1String("AddSteel")) {
        frmSteel dialog(db, &m_window);
        runModal(dialog);
    } else if (const std::optional<ShaftSteel> steel = readShaftInputs(db).steel) {
        const QString question = QStringLiteral("Удалить сталь «%1» из каталога?").arg(steel->grade);
        if (showMessage(question, MessageIcon::Question, MessageButtons::YesNo, QStringLiteral("Tarnvel"), &m_window)
            == MessageAnswer::Yes) {
            // The shaft is left without a steel rather than with another one
            // the engineer did not choose.
            Database::Transaction transaction(db);
            removeShaftSteel(db, steel->id);
            writeShaftSetting(db, shaftSetting::steel, std::nullopt);
            transaction.commit();
        }
    }
    showSteel();
}

QStringList ShaftViews::choices(const QString &key)
{
    QStringList texts;
    if (key != QLatin1String("SteelChoice"))
        return texts;
    for (const ShaftSteel &steel : shaftSteels(m_state.database()))
        texts << steelText(steel);
    return texts;
}

void ShaftViews::commitChoice(const QString &key, int index)
{
    if (key != QLatin1String("SteelChoice"))
        return;
    const QVector<ShaftSteel> steels = shaftSteels(m_state.database());
    if (index >= 0 && index < steels.size())
        writeShaftSetting(m_state.database(), shaftSetting::steel, static_cast<double>(steels.at(index).id));
    showSteel();
}

std::optional<QString> ShaftViews::commitValue(const QString &key, const QString &text)
{
    Database &db = m_state.database();
    const QString trimmed = text.trimmed();
    try {
        if (const std::optional<int> id = settingOf(key)) {
            // An emptied value goes back to its default.
            writeShaftSetting(db, *id, trimmed.isEmpty() ? std::nullopt : std::optional<double>(typedNumber(trimmed)));
            return std::nullopt;
        }
        if (const std::optional<StepField> field = stepField(key)) {
            QVector<ShaftSegment> segments = readShaftInputs(db).segments;
            if (field->step > segments.size())
                return std::nullopt;
            ShaftSegment &segment = segments[field->step - 1];
            const double value = typedNumber(trimmed);
            (field->field == QLatin1Char('L') ? segment.length
                : field->field == QLatin1Char('D') ? segment.outer : segment.bore) = value;
            writeShaftSegments(db, segments);
        }
    } catch (const std::invalid_argument &refused) {
        return QString::fromStdString(refused.what());
    }
    return std::nullopt;
}

} // namespace tarnvel
