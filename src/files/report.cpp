#include "files/report.h"

#include "analysis/bearing_selection.h"
#include "analysis/diagram_plot.h"
#include "files/file_names.h"
#include "files/windows1251.h"
#include "scheme/load_modes.h"
#include "store/database.h"
#include "store/numbers.h"

#include <QDir>
#include <QHash>
#include <QMap>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace tarnvel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kEmptyCell = QStringLiteral(" &nbsp; ");

QString escaped(const QString &text) { return text.toHtmlEscaped(); }

// A page holds thousands of rows: each is appended in place.
void appendTableRow(QString &page, const QString &first, const QString &second)
{
    static const QString open = QStringLiteral("<tr>\r\n<td width=500>\r\n");
    static const QString middle = QStringLiteral("\r\n</td>\r\n<td width=300>\r\n");
    static const QString close = QStringLiteral("\r\n</td>\r\n");
    page.append(open).append(first).append(middle).append(second).append(close);
}

// Choice captions and catalogue texts may be empty (NULL) in the store.
QString textField(const Recordset &rs, const QString &column) { return rs.field(column).toString(); }

// A value the store left empty, or a crosstab cell that does not exist, shows
// as an empty cell rather than as 0.
QString plainField(const Recordset &rs, const QString &column, const QLocale &locale)
{
    if (!rs.hasField(column))
        return {};
    const QVariant value = rs.field(column);
    return value.isNull() ? QString() : plainNumber(value.toDouble(), locale);
}

QString roundedField(const Recordset &rs, const QString &column, const QLocale &locale)
{
    if (!rs.hasField(column))
        return {};
    const QVariant value = rs.field(column);
    return value.isNull() ? QString() : roundedNumber(value.toDouble(), locale);
}

class ReportBuilder
{
public:
    ReportBuilder(Database &db, const ReportSettings &settings)
        : m_db(db)
        , m_settings(settings)
        , m_locale(settings.locale)
    {
    }

    QString build()
    {
        start();
        m_blank = TableRow(kEmptyCell, kEmptyCell);
        generalData();
        loadingScheme();
        reactions();
        bearings();
        diagrams();
        m_page += QStringLiteral("</tr>") + kCrLf + QStringLiteral("</table>") + kCrLf + QStringLiteral("</body>")
            + kCrLf + QStringLiteral("</html>") + kCrLf;
        return m_page;
    }

private:
    void line(const QString &text) { m_page += text + kCrLf; }
    void row(const QString &first, const QString &second) { appendTableRow(m_page, first, second); }
    void heading(const QString &text) { row(text, kEmptyCell); }
    void blank() { m_page += m_blank; }

    void start()
    {
        line(QStringLiteral("<html>"));
        line(QStringLiteral("<head>"));
        line(QStringLiteral("<meta http-equiv=Content-Type content='text/html; charset=windows-1251'>"));
        line(QStringLiteral("</head>"));
        line(QStringLiteral("<body lang=RU>"));
        const QString stamp = m_locale.toString(m_settings.timestamp.date(), QLocale::ShortFormat) + QLatin1Char(' ')
            + m_locale.toString(m_settings.timestamp.time(), QLocale::ShortFormat);
        line(QStringLiteral("<u><font size='5'>Расчёт подшипников ") + stamp + QStringLiteral("</font></u>"));
        line(QStringLiteral("<br><br>"));
        line(QStringLiteral("Программа Tarnvel ") + escaped(m_settings.versionText) + QStringLiteral("<br>"));
        const QString address = escaped(m_settings.webAddress);
        line(QStringLiteral("<a href=") + address + QStringLiteral("> ") + address + QStringLiteral(" </a><br><br>"));
        line(QStringLiteral(
            "<table cellSpacing=0 cellPadding=0 border=0 style='BORDER-COLLAPSE: collapse' borderColor=gray>"));
    }

    // The caption of a choice value; a value without one shows as its number.
    QString choiceText(int parameterId, const QVariant &value, bool *found = nullptr)
    {
        if (found)
            *found = false;
        if (value.isNull())
            return {};
        // The value is matched as a statement carries it, to 15 digits.
        const double stored = storedNumber(value.toDouble());
        const auto choice = std::isfinite(stored) ? choices().constFind({ parameterId, stored }) : choices().constEnd();
        if (choice == choices().constEnd())
            return plainNumber(value.toDouble(), m_locale);
        if (found)
            *found = true;
        return escaped(*choice);
    }

    // Every choice caption by parameter and value, the first of equal ones.
    const QMap<std::pair<int, double>, QString> &choices()
    {
        if (!m_choices) {
            m_choices.emplace();
            Recordset rs = m_db.openRecordset(QStringLiteral(
                "SELECT ParameterID, DefaultValue, DefaultText FROM DefaultParameters ORDER BY ParameterID, DefaultValue, rowid"));
            for (; !rs.isAfterLast(); rs.next()) {
                const QVariant value = rs.value(1);
                const bool number = value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
                const std::pair<int, double> key { rs.value(0).toInt(), value.toDouble() };
                if (number && !m_choices->contains(key))
                    m_choices->insert(key, rs.value(2).toString());
            }
        }
        return *m_choices;
    }

    void generalData()
    {
        heading(QStringLiteral("<u><font size='4'>Общие данные:</font></u>"));
        blank();
        Recordset rs = m_db.openRecordset(
            QStringLiteral("SELECT `Parameters`.Parameter, `Parameters`.ParameterID, CommonParameters.ParamValue "
                           "FROM `Parameters`, CommonParameters WHERE GroupID = 1 AND "
                           "CommonParameters.ParameterID = `Parameters`.ParameterID"),
            true);
        for (; !rs.isAfterLast(); rs.next()) {
            const int id = wholeNumber(rs.field(QStringLiteral("ParameterID")).toDouble());
            QString value;
            if (id == 4 || id == 38) {
                bool found = false;
                value = choiceText(id, rs.field(QStringLiteral("ParamValue")), &found);
                if (id == 4 && found)
                    m_forceUnit = value; // already escaped
            } else {
                value = plainField(rs, QStringLiteral("ParamValue"), m_locale);
            }
            row(escaped(textField(rs, QStringLiteral("Parameter"))), value);
        }
        blank();
    }

    void loadingScheme()
    {
        heading(QStringLiteral("<u><font size='4'>Схема нагружения:</font></u>"));
        blank();
        Recordset points = m_db.openRecordset(
            QStringLiteral("SELECT Groups.`Group`, Groups.GroupID, Points.PointID, Points.PointNumber FROM Points, "
                           "Groups WHERE Points.GroupID = Groups.GroupID ORDER BY Points.PointNumber"),
            true);
        if (points.isBeforeFirst())
            return;
        readPointRows();
        for (; !points.isAfterLast(); points.next()) {
            const int numberValue = wholeNumber(points.field(QStringLiteral("PointNumber")).toDouble());
            const QString number = QString::number(numberValue);
            const int pointId = wholeNumber(points.field(QStringLiteral("PointID")).toDouble());
            const int groupId = wholeNumber(points.field(QStringLiteral("GroupID")).toDouble());
            heading(QStringLiteral("<u><font size='4'>Точка ") + number + QStringLiteral(" - ")
                + escaped(textField(points, QStringLiteral("Group"))) + QStringLiteral(":</font></u>"));
            blank();
            pointParameters(numberValue, groupId > 2);
            if (groupId > 2) {
                const ModeList modes = gearLoads(pointId);
                meshForces(pointId, modes.size());
            } else {
                freeForceLoads(pointId);
            }
            blank();
        }
    }

    // The rows the sections of the points show, each table read once for
    // all points rather than a few statements per point.
    struct ParameterRow
    {
        QString caption;
        int id = 0;
        QVariant value;
    };
    void readPointRows()
    {
        // The parameters of each point number (the rows the point's own kind
        // has captions for), in ParameterID order.
        Recordset parameters = m_db.openRecordset(
            QStringLiteral("SELECT Points.PointNumber, `Parameters`.Parameter, `Parameters`.ParameterID, "
                           "PointParameters.ParValue FROM Points, PointParameters, `Parameters` WHERE Points.PointID = "
                           "PointParameters.PointID AND Points.GroupID = `Parameters`.GroupID AND "
                           "PointParameters.ParameterID = `Parameters`.ParameterID ORDER BY Points.PointNumber, "
                           "`Parameters`.ParameterID"),
            true);
        for (; !parameters.isAfterLast(); parameters.next()) {
            m_parameters[wholeNumber(parameters.value(0).toDouble())].append(
                { parameters.value(1).toString(), wholeNumber(parameters.value(2).toDouble()), parameters.value(3) });
        }

        m_modes = storedModeCells(m_db);

        // The kind a gear point's loads were entered in: that of its first row.
        Recordset kinds = m_db.openRecordset(
            QStringLiteral("SELECT Points.PointID, (SELECT PowerNumber FROM Powers WHERE Powers.PointID = Points.PointID "
                           "ORDER BY RezNumber, rowid LIMIT 1) AS Kind FROM Points"));
        for (; !kinds.isAfterLast(); kinds.next())
            m_loadKinds.insert(kinds.value(0).toLongLong(), wholeNumber(kinds.value(1).toDouble()));

        // Ft, Fr, Fa of every mode (35, 36, 37), in the force unit.
        Recordset forces = m_db.openRecordset(
            QStringLiteral("SELECT PointID, RezNumber, ParameterID, ParameterValue FROM PointForses WHERE ParameterID > 34 "
                           "AND ParameterID < 38 ORDER BY PointID, RezNumber, rowid"),
            true);
        for (; !forces.isAfterLast(); forces.next()) {
            m_forces[forces.value(0).toLongLong()].insert({ forces.value(1).toInt(), forces.value(2).toInt() }, forces.value(3));
        }
    }

    void pointParameters(int number, bool gearPoint)
    {
        for (const ParameterRow &r : m_parameters.value(number)) {
            // A free force's equivalent projections (8 … 10) are results, not
            // parameters the user gave.
            if (!gearPoint && r.id >= 8)
                continue;
            static constexpr std::array kChoiceParameters { 15, 18, 19, 25, 28, 30, 31 };
            const bool choice
                = std::find(kChoiceParameters.begin(), kChoiceParameters.end(), r.id) != kChoiceParameters.end();
            const QString value = choice ? choiceText(r.id, r.value)
                                         : (r.value.isNull() ? QString() : plainNumber(r.value.toDouble(), m_locale));
            row(escaped(r.caption), value);
        }
    }

    QString loadCaption(int kind)
    {
        const auto known = m_loadCaptions.constFind(kind);
        if (known != m_loadCaptions.constEnd())
            return *known;
        const Recordset caption = m_db.openRecordset(
            QStringLiteral("SELECT PowerClass FROM PowerClasses WHERE PowerID = ") + QString::number(kind));
        const QString text = caption.isBeforeFirst() ? QString() : escaped(textField(caption, QStringLiteral("PowerClass")));
        m_loadCaptions.insert(kind, text);
        return text;
    }

    ModeList gearLoads(int pointId)
    {
        blank();
        heading(QStringLiteral("<u>Нагрузки и режимы:</u>"));
        ModeList modes;
        int kind = 0;
        const auto own = m_modes.constFind(pointId);
        if (own != m_modes.constEnd()) {
            modes = modeRecords(*own, false);
            kind = m_loadKinds.value(pointId);
        } else {
            kind = GatherModes(m_db, pointId, modes); // no loads yet: the shaft's modes
        }
        const QString caption = loadCaption(kind);
        for (qsizetype j = 1; j <= modes.size(); ++j) {
            const ModeRecord &m = modes.at(j - 1);
            const std::array loads { m.Load1, m.Load2, m.Load3, m.Load4 };
            blank();
            heading(QStringLiteral("<u>Режим ") + QString::number(j) + QStringLiteral(":</u>"));
            row(caption, kind >= 1 && kind <= 4 ? plainNumber(loads.at(kind - 1), m_locale) : QString());
            row(QStringLiteral("Частота вращения, об./мин."), plainNumber(m.Speed, m_locale));
            row(QStringLiteral("Коэффициент использования режима"), plainNumber(m.Coeff, m_locale));
        }
        return modes;
    }

    QString plainValue(const QVariant &value) const
    {
        return value.isNull() ? QString() : plainNumber(value.toDouble(), m_locale);
    }

    void freeForceLoads(int pointId)
    {
        blank();
        heading(QStringLiteral("<u>Силы и режимы:</u>"));
        int i = 1;
        for (const ModeCells &r : m_modes.value(pointId)) {
            const QString mode = QString::number(i++);
            blank();
            heading(QStringLiteral("<u>Режим ") + mode + QStringLiteral(":</u>"));
            row(QStringLiteral("Проекция Fx(") + mode + QStringLiteral(") = "), plainValue(r.loads[5]));
            row(QStringLiteral("Проекция Fy(") + mode + QStringLiteral(") = "), plainValue(r.loads[6]));
            row(QStringLiteral("Проекция Fz(") + mode + QStringLiteral(") = "), plainValue(r.loads[7]));
            row(QStringLiteral("Частота вращения, об./мин."), plainValue(r.speed));
            row(QStringLiteral("Коэффициент использования режима"), plainValue(r.coeff));
        }
    }

    void meshForces(int pointId, qsizetype modeCount)
    {
        if (modeCount >= 1) {
            blank();
            heading(QStringLiteral("<u><font size='4'>Силы в зацеплении:</font></u>"));
            const QHash<std::pair<int, int>, QVariant> forces = m_forces.value(pointId);
            auto force = [&](int mode, int parameterId) {
                const QVariant value = forces.value({ mode, parameterId });
                return value.isNull() ? QString() : roundedNumber(value.toDouble(), m_locale);
            };
            for (int i = 1; i <= modeCount; ++i) {
                const QString mode = QString::number(i);
                blank();
                heading(QStringLiteral("<u>Режим ") + mode + QStringLiteral(":</u>"));
                if (!forces.contains({ i, 35 }) && !forces.contains({ i, 36 }) && !forces.contains({ i, 37 }))
                    continue;
                row(QStringLiteral("   Окружная   Ft(") + mode + QStringLiteral(")"), force(i, 35));
                row(QStringLiteral("   Радиальная Fr(") + mode + QStringLiteral(")"), force(i, 36));
                row(QStringLiteral("   Осевая     Fa(") + mode + QStringLiteral(")"), force(i, 37));
            }
        }
        blank();
    }

    void reactionRows(int groupId)
    {
        Recordset rs = m_db.openRecordset(
            QStringLiteral("SELECT Parameters.Parameter, Reakz.ParamValue FROM `Parameters`, Reakz WHERE "
                           "Parameters.GroupID = ")
                + QString::number(groupId) + QStringLiteral(" AND Reakz.ParameterID = Parameters.ParameterID"),
            true);
        for (; !rs.isAfterLast(); rs.next())
            row(escaped(textField(rs, QStringLiteral("Parameter"))),
                roundedField(rs, QStringLiteral("ParamValue"), m_locale));
    }

    void reactions()
    {
        blank();
        heading(QStringLiteral("<u><font size='4'>Эквивалентные реакции опор:</font></u>"));
        blank();
        heading(QStringLiteral("<u>Левая опора:</u>"));
        reactionRows(7);
        blank();
        heading(QStringLiteral("<u>Правая опора:</u>"));
        reactionRows(8);
        blank();
        reactionRows(9); // the axial reaction, taken by whichever support is marked for it
        blank();
    }

    void bearingTable(int side)
    {
        const Recordset rs = m_db.openRecordset(
            QStringLiteral("SELECT Bearings.BearingID, Bearings.Number, Bearings.de, Bearings.di, Bearings.b, "
                           "Bearings.C, Bearings.Alfa, Bearings.Tkah, Bearings.C0, BearingsTip.Tip, BearRep.Kb, "
                           "BearRep.Kt, BearRep.Pr, BearRep.Lh, BearRep.Kv, BearRep.e, BearRep.X, BearRep.Y, "
                           "BearRep.Radial, BearRep.Osev FROM Bearings, BearingsTip, BearRep WHERE BearRep.Side = ")
            + QString::number(side)
            + QStringLiteral(" AND Bearings.BearingID = BearRep.BearingID AND BearingsTip.TipID = Bearings.TipID"));
        if (rs.isBeforeFirst())
            return;
        const auto plain = [&](const char *column) { return plainField(rs, QLatin1String(column), m_locale); };
        const auto rounded = [&](const char *column) { return roundedField(rs, QLatin1String(column), m_locale); };
        const auto taken = [&](const char *column) {
            return wholeNumber(rs.field(QLatin1String(column)).toDouble()) == 0 ? QStringLiteral("не воспринимается")
                                                                                : QStringLiteral("воспринимается");
        };
        row(QStringLiteral("Номер подшипника"), escaped(textField(rs, QStringLiteral("Number"))));
        row(QStringLiteral("Тип"), escaped(textField(rs, QStringLiteral("Tip"))));
        row(QStringLiteral("Размер D x d x b, мм"),
            plain("de") + QStringLiteral(" x ") + plain("di") + QStringLiteral(" x ") + plain("b"));
        row(QStringLiteral("Динамическая грузоподъёмность, Н"), plain("C"));
        row(QStringLiteral("Статическая грузоподъёмность, Н"), plain("C0"));
        row(QStringLiteral("Угол контакта номинальный, град."), plain("Alfa"));
        heading(QStringLiteral("Коэффициенты:"));
        row(QStringLiteral("            Безопасности  Кб"), plain("Kb"));
        row(QStringLiteral("            Качества      Ккач"), plain("Tkah"));
        row(QStringLiteral("            Температурный Kt"), plain("Kt"));
        row(QStringLiteral("            Вращения      V"), plain("Kv"));
        row(QStringLiteral("                          e"), rounded("e"));
        row(QStringLiteral("                          X"), rounded("X"));
        row(QStringLiteral("                          Y"), rounded("Y"));
        row(QStringLiteral("Радиальная нагрузка"), taken("Radial"));
        row(QStringLiteral("Осевая нагрузка"), taken("Osev"));
        row(QStringLiteral("Расчётная нагрузка Pr, ") + withoutOuterBlanks(m_forceUnit), rounded("Pr"));
        row(QStringLiteral("<b>Долговечность, час.</b>"),
            QStringLiteral("<b>") + rounded("Lh") + QStringLiteral("</b>"));
        if (!m_staticLoads)
            m_staticLoads.emplace(readStaticLoads(m_db)); // both sides take the same loads
        for (const StaticSafetyRow &r : staticSafetyRows(m_db, side, m_forceUnit, *m_staticLoads))
            row(r.caption, r.value ? roundedNumber(*r.value, m_locale) : QString());
    }

    void bearings()
    {
        heading(QStringLiteral("<u><font size='4'>Подшипники:</font></u>"));
        blank();
        heading(QStringLiteral("<u>Левая опора:</u>"));
        bearingTable(0);
        blank();
        heading(QStringLiteral("<u>Правая опора:</u>"));
        bearingTable(1);
    }

    void diagrams()
    {
        blank();
        heading(QStringLiteral("<u><font size='4'>Эпюры изгибающих моментов:</font></u>"));
        blank();
        const QString folder = reportPictureFolder(m_settings.reportFile);
        const std::array<QString, 3> headings { QStringLiteral("<u>В плоскости XOZ ("),
            QStringLiteral("<u>В плоскости YOZ ("), QStringLiteral("<u>Суммарная (") };
        for (int i = 0; i < 3; ++i) {
            // Moments are in force unit × metre.
            heading(headings.at(i) + m_forceUnit + QStringLiteral("*м):</u>"));
            // Quoted, so that a folder with blanks in its path still shows.
            const QString source
                = escaped(QDir::toNativeSeparators(folder + QLatin1Char('/') + diagramPictureNames().at(i)));
            row(QStringLiteral("<img src=\"") + source
                    + QStringLiteral("\" width='600' height='330' style='border: 1px solid #000000'>"),
                kEmptyCell);
            if (i < 2)
                blank();
        }
    }

    Database &m_db;
    const ReportSettings &m_settings;
    const QLocale m_locale;
    QString m_page;
    QString m_blank;
    QString m_forceUnit; // the force unit's caption, HTML-escaped; empty while not given
    std::optional<QMap<std::pair<int, double>, QString>> m_choices;
    QHash<int, QVector<ParameterRow>> m_parameters; // by point number
    QHash<qint64, QVector<ModeCells>> m_modes; // by PointID
    QHash<qint64, int> m_loadKinds; // by PointID
    QHash<qint64, QHash<std::pair<int, int>, QVariant>> m_forces; // by PointID: (mode, ParameterID) → value
    QHash<int, QString> m_loadCaptions;
    std::optional<std::optional<StaticLoads>> m_staticLoads;
};

} // namespace

QString reportVersionText()
{
    return QStringLiteral("Версия: %1.%2.%3")
        .arg(TARNVEL_VERSION_MAJOR)
        .arg(TARNVEL_VERSION_MINOR)
        .arg(TARNVEL_VERSION_PATCH);
}

QString TableRow(const QString &first, const QString &second)
{
    QString row;
    appendTableRow(row, first, second);
    return row;
}

QString plainNumber(double value, const QLocale &locale)
{
    if (value == 0.0)
        value = 0.0; // no "-0"
    QString text = formatG(value, 15);
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

QString roundedNumber(double value, const QLocale &locale) { return plainNumber(roundHalfEven(value, 3), locale); }

QString reportPage(Database &db, const ReportSettings &settings) { return ReportBuilder(db, settings).build(); }

const QStringList &diagramPictureNames()
{
    static const QStringList names { QStringLiteral("xoz.bmp"), QStringLiteral("yoz.bmp"), QStringLiteral("sum.bmp") };
    return names;
}

bool saveDiagramPictures(const QString &folder, const QImage &xoz, const QImage &yoz, const QImage &sum, QString *error)
{
    const QDir dir(folder);
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Не удалось создать папку %1").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    const std::array<const QImage *, 3> pictures { &xoz, &yoz, &sum };
    QStringList failed;
    for (int i = 0; i < 3; ++i) {
        const QString path = dir.filePath(diagramPictureNames().at(i));
        QSaveFile file(path);
        const bool written = !pictures.at(i)->isNull() && file.open(QIODevice::WriteOnly)
            && pictures.at(i)->save(&file, "BMP") && file.commit();
        if (!written)
            failed.append(QDir::toNativeSeparators(path));
    }
    if (failed.isEmpty())
        return true;
    if (error)
        *error = QStringLiteral("Не удалось записать: %1").arg(failed.join(QStringLiteral(", ")));
    return false;
}

bool saveReportFile(const QString &path, const QString &page, QString *error)
{
    const QByteArray bytes = toWindows1251(page);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = fileErrorText(file, path, true);
        return false;
    }
    return true;
}

bool writeCalculationReport(Database &db, const MomentDiagrams &diagrams, const QString &unit,
    const ReportSettings &settings, QString *error)
{
    QImage pictures[3];
    const DiagramPlane planes[] = { DiagramPlane::XOZ, DiagramPlane::YOZ, DiagramPlane::Sum };
    for (int i = 0; i < 3; ++i)
        DrawEpur(diagrams.plane(planes[i]), epurCaption(planes[i], unit), pictures[i]);
    QStringList problems;
    QString problem;
    if (!saveDiagramPictures(reportPictureFolder(settings.reportFile), pictures[0], pictures[1], pictures[2], &problem))
        problems << problem;
    if (!saveReportFile(settings.reportFile, reportPage(db, settings), &problem))
        problems << problem;
    if (error)
        *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

} // namespace tarnvel
