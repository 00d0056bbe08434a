#include "files/report.h"

#include "analysis/calculation.h"
#include "analysis/diagram_plot.h"
#include "analysis/shaft_pictures.h"
#include "files/file_names.h"
#include "files/file_replacement.h"
#include "files/shaft_report.h"
#include "files/windows1251.h"
#include "scheme/load_modes.h"
#include "store/numbers.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

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

class ReportBuilder
{
public:
    ReportBuilder(const SchemeInputs &inputs, const Calculation &calculation, const ReportSettings &settings)
        : m_in(inputs)
        , m_calc(calculation)
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
        shaftCheck();
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

    const QMap<std::pair<int, double>, QString> &choices() const { return m_in.choices; }

    void generalData()
    {
        heading(QStringLiteral("<u><font size='4'>Общие данные:</font></u>"));
        blank();
        for (const GeneralRow &general : m_in.generalRows) {
            // The axis the calculation takes while none is set is kept with it.
            const bool axis = general.id == 53 && m_calc.axisToStore != 0;
            const bool shift = general.id == 54 && m_calc.axisShiftToStore.has_value();
            if (!general.stored && !axis && !shift)
                continue;
            QString value;
            if (general.id == 4 || general.id == 38) {
                bool found = false;
                value = choiceText(general.id, general.value, &found);
                if (general.id == 4 && found)
                    m_forceUnit = value; // already escaped
            } else {
                value = axis    ? plainNumber(m_calc.axisToStore, m_locale)
                    : shift ? plainNumber(*m_calc.axisShiftToStore, m_locale)
                            : plainValue(general.value);
            }
            row(escaped(general.caption), value);
        }
        blank();
    }

    void loadingScheme()
    {
        heading(QStringLiteral("<u><font size='4'>Схема нагружения:</font></u>"));
        blank();
        for (const PointInputs &point : m_in.points) {
            heading(QStringLiteral("<u><font size='4'>Точка ") + QString::number(point.number) + QStringLiteral(" - ")
                + escaped(point.groupCaption) + QStringLiteral(":</font></u>"));
            blank();
            pointParameters(point);
            if (point.group > 2) {
                const ModeList modes = gearLoads(point);
                meshForces(point.pointId, modes.size());
            } else {
                freeForceLoads(point);
            }
            blank();
        }
    }

    // The parameters the point's kind has captions for.
    void pointParameters(const PointInputs &point)
    {
        const bool gearPoint = point.group > 2;
        for (const StoredParameter &r : point.parameters) {
            if (m_in.parameterGroups.value(r.id, -1) != point.group)
                continue;
            // A free force's equivalent projections (8 … 10) are results, not
            // parameters the user gave.
            if (!gearPoint && r.id >= 8)
                continue;
            static constexpr std::array kChoiceParameters { 15, 18, 19, 25, 28, 30, 31 };
            const bool choice
                = std::find(kChoiceParameters.begin(), kChoiceParameters.end(), r.id) != kChoiceParameters.end();
            const QString value = choice ? choiceText(r.id, r.value)
                                         : (r.value.isNull() ? QString() : plainNumber(r.value.toDouble(), m_locale));
            row(escaped(m_in.captions.value(r.id)), value);
        }
    }

    ModeList gearLoads(const PointInputs &point)
    {
        blank();
        heading(QStringLiteral("<u>Нагрузки и режимы:</u>"));
        ModeList modes = modeRecords(point.modes, false);
        const int kind = point.loadKind;
        const QString caption = escaped(m_in.loadCaptions.value(kind));
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

    void freeForceLoads(const PointInputs &point)
    {
        blank();
        heading(QStringLiteral("<u>Силы и режимы:</u>"));
        int i = 1;
        for (const ModeCells &r : point.modes) {
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

    QString numbers(const ResultRow &r) const
    {
        QStringList texts;
        for (const std::optional<double> &value : r.numbers)
            texts << (!value ? QString() : r.rounded ? roundedNumber(*value, m_locale) : plainNumber(*value, m_locale));
        return texts.join(QStringLiteral(" x "));
    }

    void meshForces(qint64 pointId, qsizetype modeCount)
    {
        if (modeCount >= 1) {
            blank();
            heading(QStringLiteral("<u><font size='4'>Силы в зацеплении:</font></u>"));
            const PointResult *point = m_calc.point(pointId);
            const QVector<ModeForces> forces = point ? point->mesh.modes : QVector<ModeForces>();
            for (int i = 1; i <= modeCount; ++i) {
                blank();
                heading(QStringLiteral("<u>Режим ") + QString::number(i) + QStringLiteral(":</u>"));
                if (i > forces.size())
                    continue;
                for (const ResultRow &r : meshForceRows(forces.at(i - 1), i))
                    row(r.caption, numbers(r));
            }
        }
        blank();
    }

    void reactionRows(int groupId)
    {
        for (const ResultRow &r : m_calc.reactionRows.at(static_cast<std::size_t>(groupId - 7)))
            row(escaped(r.caption), numbers(r));
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
        const auto s = static_cast<std::size_t>(side);
        const QVector<ResultRow> &rows = m_calc.supports.at(s).rows;
        if (rows.isEmpty())
            return;
        QHash<QString, const ResultRow *> byKey;
        for (const ResultRow &r : rows)
            byKey.insert(r.key, &r);
        const auto value = [&](const char *key) {
            const ResultRow &r = *byKey.value(QLatin1String(key));
            return r.numbers.isEmpty() ? escaped(r.text) : numbers(r);
        };
        const auto shown = [&](const char *key) { row(escaped(byKey.value(QLatin1String(key))->caption), value(key)); };
        const SupportInputs &support = m_in.supports.at(s);
        const auto taken = [](const QVariant &flag) {
            return wholeNumber(flag.toDouble()) == 0 ? QStringLiteral("не воспринимается") : QStringLiteral("воспринимается");
        };
        row(QStringLiteral("Номер подшипника"), value("BNum"));
        for (const char *key : { "BTip", "BSize", "BC", "BC0", "BAlfa" })
            shown(key);
        heading(QStringLiteral("Коэффициенты:"));
        for (const char *key : { "BKb", "BKk", "BKt", "BV", "Be", "BX", "BY" })
            shown(key);
        row(QStringLiteral("Радиальная нагрузка"), taken(support.radial));
        row(QStringLiteral("Осевая нагрузка"), taken(support.axial));
        row(QStringLiteral("Расчётная нагрузка Pr, ") + withoutOuterBlanks(m_forceUnit), value("BPr"));
        row(QStringLiteral("<b>Долговечность, час.</b>"), QStringLiteral("<b>") + value("BLh") + QStringLiteral("</b>"));
        for (const char *key : { "BP0", "Bs0" })
            shown(key);
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
        const std::array<QString, 3> headings { QStringLiteral("<u>В плоскости XOZ ("),
            QStringLiteral("<u>В плоскости YOZ ("), QStringLiteral("<u>Суммарная (") };
        for (int i = 0; i < 3; ++i) {
            // Moments are in force unit × metre.
            heading(headings.at(i) + m_forceUnit + QStringLiteral("*м):</u>"));
            const QString picture = i < m_settings.diagramPictures.size()
                ? m_settings.diagramPictures.at(i)
                : diagramPictureStems().at(i) + QStringLiteral(".bmp");
            const QString source = escaped(reportPictureSource(m_settings.reportFile, picture));
            row(QStringLiteral("<img src=\"") + source
                    + QStringLiteral("\" width='600' height='330' style='border: 1px solid #000000'>"),
                kEmptyCell);
            if (i < 2)
                blank();
        }
    }

    void shaftCheck()
    {
        for (const ReportLine &line : shaftReportLines(m_in, m_calc, m_locale)) {
            switch (line.kind) {
            case ReportLine::Blank:
                blank();
                break;
            case ReportLine::Heading:
                heading(line.first);
                break;
            case ReportLine::Row:
                row(line.first, line.second);
                break;
            case ReportLine::Picture: {
                const QString picture = m_settings.shaftPictures.value(line.second.toInt());
                if (picture.isEmpty())
                    break;
                row(QStringLiteral("<img src=\"") + escaped(reportPictureSource(m_settings.reportFile, picture))
                        + QStringLiteral("\" width='600' height='330' style='border: 1px solid #000000'>"),
                    kEmptyCell);
                break;
            }
            }
        }
    }

    const SchemeInputs &m_in;
    const Calculation &m_calc;
    const ReportSettings &m_settings;
    const QLocale m_locale;
    QString m_page;
    QString m_blank;
    QString m_forceUnit; // the force unit's caption, HTML-escaped; empty while not given
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

QString reportPage(const SchemeInputs &inputs, const Calculation &calculation, const ReportSettings &settings)
{
    return ReportBuilder(inputs, calculation, settings).build();
}

const QStringList &diagramPictureStems()
{
    static const QStringList stems { QStringLiteral("xoz"), QStringLiteral("yoz"), QStringLiteral("sum") };
    return stems;
}

const QStringList &shaftPictureStems()
{
    static const QStringList stems { QStringLiteral("torque"), QStringLiteral("meq"), QStringLiteral("diameter"),
        QStringLiteral("deflection"), QStringLiteral("slope") };
    return stems;
}

ReportPicture reportPicture(const QString &stem, const QImage &image)
{
    ReportPicture picture;
    picture.stem = stem;
    if (!image.isNull()) {
        QBuffer buffer(&picture.bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "BMP"))
            picture.bytes.clear();
    }
    // 64 bits of the hash: two different pictures of one stem sharing a
    // name is not a thing to reckon with.
    const QByteArray tag = QCryptographicHash::hash(picture.bytes, QCryptographicHash::Sha256).left(8).toHex();
    picture.fileName = stem + QLatin1Char('-') + QLatin1String(tag) + QStringLiteral(".bmp");
    return picture;
}

bool isReportPictureName(const QString &fileName, const QStringList &stems)
{
    static const QRegularExpression pattern(QStringLiteral("^(.+?)(-[0-9a-f]{16})?\\.bmp$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    return match.hasMatch() && stems.contains(match.captured(1));
}

QString reportPictureSource(const QString &reportFile, const QString &pictureFile)
{
    const QString folder = reportPictureFolder(reportFile);
    const qsizetype start = std::max(folder.lastIndexOf(QLatin1Char('/')), folder.lastIndexOf(QLatin1Char('\\'))) + 1;
    // A browser takes '#' for the start of a fragment, '?' for a query and
    // '%' for an escape; a blank or a quote would end the address early.
    const auto encoded = [](const QString &segment) {
        QString text;
        for (const QChar c : segment) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral("%#? \"\\/").contains(c))
                text += QString::asprintf("%%%02X", c.unicode());
            else
                text += c;
        }
        return text;
    };
    return encoded(folder.mid(start)) + QLatin1Char('/') + encoded(pictureFile);
}

bool saveReportFile(const QString &path, const QString &page, QString *error)
{
    return replaceFile(path, toWindows1251(page), error);
}

bool saveReport(const QString &reportFile, const QString &page, const QList<ReportPicture> &pictures, QString *error)
{
    const auto refuse = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    // Everything that can be known before writing is checked first: a
    // refused report leaves no trace, not even its picture folder.
    const QFileInfo pageInfo(reportFile);
    const QString directory = pageInfo.absolutePath();
    if (!QFileInfo(directory).isDir())
        return refuse(QStringLiteral("Папка %1 не существует.").arg(QDir::toNativeSeparators(directory)));
    if (pageInfo.isDir())
        return refuse(QStringLiteral("Это папка, а не файл."));
    const QString folder = reportPictureFolder(pageInfo.absoluteFilePath());
    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        return refuse(QStringLiteral("На месте папки рисунков %1 стоит файл.").arg(QDir::toNativeSeparators(folder)));
    for (const ReportPicture &picture : pictures) {
        if (picture.bytes.isEmpty())
            return refuse(QStringLiteral("Эпюра не нарисована."));
    }
    const bool made = !folderInfo.exists();
    if (made && !QDir().mkdir(folder))
        return refuse(QStringLiteral("Не удалось создать папку %1.").arg(QDir::toNativeSeparators(folder)));

    // The pictures and the page are all written whole under temporary names
    // before any of them is put in place. The pictures then go in beside the
    // old page's (their names are their own), and the page last: its rename
    // is the moment the report changes from old to new.
    const QDir pictureFolder(folder);
    const auto picturePath = [&](const ReportPicture &picture) { return pictureFolder.filePath(picture.fileName); };
    const auto pictureProblem = [&](const ReportPicture &picture, const StagedFile &file) {
        return QStringLiteral("Рисунок %1 не записан: %2")
            .arg(QDir::toNativeSeparators(picturePath(picture)), file.error());
    };
    std::vector<std::unique_ptr<StagedFile>> staged;
    QString problem;
    for (const ReportPicture &picture : pictures) {
        staged.push_back(std::make_unique<StagedFile>(picturePath(picture)));
        const QByteArray &bytes = picture.bytes;
        if (!staged.back()->write([&bytes](QIODevice &device) { return device.write(bytes) == bytes.size(); })) {
            problem = pictureProblem(picture, *staged.back());
            break;
        }
    }
    StagedFile pageFile(reportFile);
    if (problem.isEmpty()) {
        const QByteArray bytes = toWindows1251(page);
        if (!pageFile.write([&bytes](QIODevice &device) { return device.write(bytes) == bytes.size(); }))
            problem = pageFile.error();
    }
    // A picture whose name is already there has exactly its bytes: the old
    // page may be showing it, and it stays whatever happens.
    QStringList added;
    for (qsizetype i = 0; i < pictures.size() && problem.isEmpty(); ++i) {
        const QString path = picturePath(pictures.at(i));
        const bool existed = QFileInfo::exists(path);
        if (!staged.at(static_cast<std::size_t>(i))->commit())
            problem = pictureProblem(pictures.at(i), *staged.at(static_cast<std::size_t>(i)));
        else if (!existed)
            added << path;
    }
    if (problem.isEmpty() && !pageFile.commit())
        problem = pageFile.error();
    if (!problem.isEmpty()) {
        staged.clear();
        for (const QString &path : std::as_const(added))
            QFile::remove(path);
        if (made)
            QDir().rmdir(folder); // only when nothing went into it
        return refuse(problem);
    }

    // The old page's pictures go once the new page stands. One left behind
    // by a kill or a failed removal goes with the next report.
    // Every stem a report may write: a picture the new page lacks (the
    // deflection of a shaft whose steps were removed) goes as well.
    QStringList stems = diagramPictureStems() + shaftPictureStems();
    QStringList kept;
    for (const ReportPicture &picture : pictures) {
        stems << picture.stem;
        kept << picture.fileName;
    }
    const QStringList present = pictureFolder.entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : present) {
        if (!kept.contains(name) && isReportPictureName(name, stems))
            QFile::remove(pictureFolder.filePath(name));
    }
    return true;
}

bool writeCalculationReport(
    const SchemeInputs &inputs, const Calculation &calculation, const ReportSettings &settings, QString *error)
{
    const MomentDiagrams &diagrams = *calculation.diagrams;
    const QString &unit = calculation.unit;
    const DiagramPlane planes[] = { DiagramPlane::XOZ, DiagramPlane::YOZ, DiagramPlane::Sum };
    QList<ReportPicture> pictures;
    ReportSettings named = settings;
    named.diagramPictures.clear();
    for (int i = 0; i < 3; ++i) {
        QImage image;
        DrawEpur(diagrams.plane(planes[i]), epurCaption(planes[i], unit), image);
        pictures << reportPicture(diagramPictureStems().at(i), image);
        named.diagramPictures << pictures.last().fileName;
    }
    named.shaftPictures.clear();
    const ShaftPicture shaftPictures[] = { ShaftPicture::Torque, ShaftPicture::EquivalentMoment,
        ShaftPicture::RequiredDiameter, ShaftPicture::Deflection, ShaftPicture::Slope };
    for (int i = 0; i < 5; ++i) {
        if (!hasShaftPicture(calculation.shaft, shaftPictures[i])) {
            named.shaftPictures << QString();
            continue;
        }
        QImage image;
        drawShaftPicture(calculation.shaft, shaftPictures[i], unit, image);
        pictures << reportPicture(shaftPictureStems().at(i), image);
        named.shaftPictures << pictures.last().fileName;
    }
    return saveReport(settings.reportFile, reportPage(inputs, calculation, named), pictures, error);
}

} // namespace tarnvel
