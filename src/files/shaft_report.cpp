#include "files/shaft_report.h"

#include "analysis/calculation.h"
#include "analysis/shaft_pictures.h"
#include "files/report.h"
#include "store/numbers.h"

#include <QRegularExpression>

namespace tarnvel {

namespace {

class SectionWriter
{
public:
    SectionWriter(const QLocale &locale)
        : m_locale(locale)
    {
    }

    void blank() { m_lines.append({ ReportLine::Blank, {}, {} }); }
    void heading(const QString &text) { m_lines.append({ ReportLine::Heading, text, {} }); }
    void row(const QString &caption, const QString &value)
    {
        m_lines.append({ ReportLine::Row, caption.toHtmlEscaped(), value.toHtmlEscaped() });
    }
    void picture(int index) { m_lines.append({ ReportLine::Picture, {}, QString::number(index) }); }

    QString plain(double value) const { return plainNumber(value, m_locale); }

    // A remark's numbers take the page's decimal separator as well.
    QString localised(const QString &text) const
    {
        if (m_locale.decimalPoint() == QLatin1String("."))
            return text;
        static const QRegularExpression point(QStringLiteral("(\\d)\\.(\\d)"));
        QString out = text;
        return out.replace(point, QStringLiteral("\\1") + m_locale.decimalPoint() + QStringLiteral("\\2"));
    }

    void resultRow(const ResultRow &r)
    {
        QString value = r.text;
        if (!r.numbers.isEmpty() && r.numbers.first())
            value = plain(r.rounded ? roundHalfEven(*r.numbers.first(), r.decimals) : *r.numbers.first());
        if (!r.remark.isEmpty())
            value += QStringLiteral("   (%1)").arg(localised(r.remark));
        // A value that fails its check stands out in red.
        if (r.exceeded) {
            m_lines.append({ ReportLine::Row, r.caption.toHtmlEscaped(),
                QStringLiteral("<font color='#C00000'>") + value.toHtmlEscaped() + QStringLiteral("</font>") });
            return;
        }
        row(r.caption, value);
    }

    QVector<ReportLine> lines() const { return m_lines; }

private:
    const QLocale &m_locale;
    QVector<ReportLine> m_lines;
};

void steps(SectionWriter &out, const ShaftInputs &shaft)
{
    out.blank();
    out.heading(QStringLiteral("<u>Ступени вала:</u>"));
    if (shaft.segments.isEmpty()) {
        out.row(QStringLiteral("Ступени вала"), QStringLiteral("не заданы"));
        return;
    }
    for (qsizetype i = 0; i < shaft.segments.size(); ++i) {
        const ShaftSegment &s = shaft.segments.at(i);
        const QString k = QString::number(i + 1);
        out.row(QStringLiteral("Ступень %1: длина, мм").arg(k), out.plain(s.length));
        out.row(QStringLiteral("Ступень %1: наружный диаметр D, мм").arg(k), out.plain(s.outer));
        out.row(QStringLiteral("Ступень %1: диаметр отверстия d, мм").arg(k), out.plain(s.bore));
    }
    out.row(QStringLiteral("Длина вала (ось эпюр), мм"), out.plain(shaft.length()));
}

void steel(SectionWriter &out, const ShaftInputs &shaft)
{
    out.blank();
    out.heading(QStringLiteral("<u>Сталь вала:</u>"));
    if (!shaft.steel) {
        out.row(QStringLiteral("Сталь вала"), QStringLiteral("не выбрана"));
        return;
    }
    const ShaftSteel &s = *shaft.steel;
    out.row(QStringLiteral("Марка стали, термообработка"), QStringLiteral("%1, %2").arg(s.grade, s.treatment));
    out.row(QStringLiteral("Размер заготовки, мм"),
        s.blankDiameter > 0 ? QStringLiteral("до %1").arg(out.plain(s.blankDiameter)) : QStringLiteral("любой"));
    out.row(QStringLiteral("Твёрдость"), s.hardness);
    const std::pair<QString, double> values[] = {
        { QStringLiteral("Предел прочности σв, МПа"), s.sigmaB },
        { QStringLiteral("Предел текучести σт, МПа"), s.sigmaT },
        { QStringLiteral("Предел текучести при кручении τт, МПа"), s.tauT },
        { QStringLiteral("Предел выносливости при изгибе σ-1, МПа"), s.sigmaM1 },
        { QStringLiteral("Предел выносливости при кручении τ-1, МПа"), s.tauM1 },
        { QStringLiteral("Коэффициент ψτ"), s.psiTau },
        { QStringLiteral("Модуль упругости E, МПа"), s.E },
    };
    for (const auto &[caption, value] : values)
        out.row(caption, out.plain(value));
    out.row(QStringLiteral("Источник"), s.source);
}

void limits(SectionWriter &out, const SchemeInputs &in)
{
    out.blank();
    out.heading(QStringLiteral("<u>Допускаемые значения:</u>"));
    const ShaftInputs &shaft = in.shaft;
    for (const ShaftSettingInfo &info : shaftSettingInfos()) {
        double value = shaft.setting(info.id);
        QString source = info.source;
        if (info.id == shaftSetting::slopeLeft || info.id == shaftSetting::slopeRight) {
            const std::optional<BearingSettings> &bearing
                = in.supports.at(info.id == shaftSetting::slopeLeft ? 0 : 1).settings;
            const int type = bearing ? bearing->typeCode : 0;
            if (!shaft.isSet(info.id))
                value = defaultAllowedSlope(type);
            source = allowedSlopeSource(type);
        }
        const QString caption = info.unit.isEmpty() ? info.caption : info.caption + QStringLiteral(", ") + info.unit;
        out.row(caption, out.plain(value) + QStringLiteral("   (%1)").arg(
            shaft.isSet(info.id) ? QStringLiteral("задано пользователем") : QStringLiteral("по умолчанию: ") + source));
    }
}

} // namespace

QVector<ReportLine> shaftReportLines(const SchemeInputs &in, const Calculation &calc, const QLocale &locale)
{
    SectionWriter out(locale);
    const ShaftCheckResult &shaft = calc.shaft;
    if (!shaft.computed)
        return {};
    out.blank();
    out.heading(QStringLiteral("<u><font size='4'>Проверка вала:</font></u>"));
    steps(out, in.shaft);
    steel(out, in.shaft);
    limits(out, in);
    out.blank();
    out.heading(QStringLiteral("<u>Прочность:</u>"));
    for (const ResultRow &r : shaftStrengthRows(shaft, calc.unit))
        out.resultRow(r);
    out.blank();
    out.heading(QStringLiteral("<u>Жёсткость:</u>"));
    for (const ResultRow &r : shaftStiffnessRows(shaft))
        out.resultRow(r);
    const ShaftPicture pictures[] = { ShaftPicture::Torque, ShaftPicture::EquivalentMoment,
        ShaftPicture::RequiredDiameter, ShaftPicture::Deflection, ShaftPicture::Slope };
    for (int i = 0; i < 5; ++i) {
        if (!hasShaftPicture(shaft, pictures[i]))
            continue;
        out.blank();
        out.heading(QStringLiteral("<u>%1:</u>").arg(shaftPictureCaption(shaft, pictures[i], calc.unit).trimmed().toHtmlEscaped()));
        out.picture(i);
    }
    return out.lines();
}

} // namespace tarnvel
