#include "workbench_fixture.h"

#include "analysis/shaft_inputs.h"
#include "analysis/shaft_steels.h"

#include <QComboBox>
#include <QLineEdit>

using namespace tarnvel;

namespace {

// A steel as the engineer copies it from a supplier's certificate, field by
// field; ψτ typed with a decimal comma.
const std::pair<const char *, const char *> kTyped[]
    = { { "txtGrade", "30ХГСА" }, { "txtTreatment", "закалка" }, { "txtBlank", "80" }, { "txtHardness", "HRC 42…48" },
          { "txtSigmaB", "1100" }, { "txtSigmaT", "850" }, { "txtTauT", "500" }, { "txtSigmaM1", "490" },
          { "txtTauM1", "280" }, { "txtPsiTau", "0,1" }, { "txtSource", "паспорт поставщика" } };

class ShaftSteelDialogTest : public test::WorkbenchTest
{
protected:
    static void type(QDialog &dialog, const char *name, const QString &text)
    {
        auto *line = dialog.findChild<QLineEdit *>(QLatin1String(name));
        ASSERT_NE(line, nullptr) << name;
        line->selectAll();
        line->del();
        // QTest maps only ASCII characters to keys; any other letter is sent
        // as the text of a key event, which is what the line edit inserts.
        for (const QChar ch : text) {
            if (ch.unicode() < 128)
                QTest::keyClicks(line, QString(ch));
            else
                QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
    // The steel typed, with one field typed otherwise.
    static void typeSteel(QDialog &dialog, const char *changed = "", const QString &text = QString())
    {
        for (const auto &[name, value] : kTyped)
            type(dialog, name, QString::fromUtf8(value));
        if (*changed)
            type(dialog, changed, text);
    }
    static void click(QDialog &dialog, const char *name) { QTest::mouseClick(button(dialog, name), Qt::LeftButton); }

    qint64 chosenSteelId() { return static_cast<qint64>(readShaftInputs(db()).settings.value(shaftSetting::steel)); }
    QString valueOf(const QString &key) { return valueTexts().value(rowKeys().indexOf(key)); }
};

} // namespace

TEST_F(ShaftSteelDialogTest, ASteelTypedInTheDialogJoinsTheCatalogueAndBecomesTheShaftsSteel)
{
    const qsizetype catalogue = shaftSteels(db()).size();
    clickNode(QStringLiteral("ShaftSteel"));
    EXPECT_FALSE(rowKeys().contains(QStringLiteral("RemoveSteel"))); // no steel chosen yet
    const int addRow = static_cast<int>(rowKeys().indexOf(QStringLiteral("AddSteel")));
    ASSERT_GE(addRow, 0);
    EXPECT_EQ(rowTexts().at(addRow), QStringLiteral("Добавить сталь..."));
    EXPECT_EQ(rowImages().at(addRow), QStringLiteral("6"));

    whenDialogOpens([](QDialog &dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frmSteel"));
        // Steels have E = 2.1·10⁵ MPa; the engineer seldom types it.
        EXPECT_EQ(dialog.findChild<QLineEdit *>(QStringLiteral("txtE"))->text(), QStringLiteral("210000"));
        typeSteel(dialog);
        click(dialog, "cmdOK");
        EXPECT_FALSE(dialog.isVisible());
    });
    clickRow(QStringLiteral("AddSteel"));
    ASSERT_EQ(dialogsOpened, 1);
    EXPECT_EQ(dialogCaptions.value(0), QStringLiteral("Сталь вала"));
    EXPECT_TRUE(messages.shown().isEmpty());

    const QVector<ShaftSteel> steels = shaftSteels(db());
    ASSERT_EQ(steels.size(), catalogue + 1);
    const ShaftSteel expected { steels.last().id, QStringLiteral("30ХГСА"), QStringLiteral("закалка"), 80,
        QStringLiteral("HRC 42…48"), 1100, 850, 500, 490, 280, 0.1, 2.1e5, QStringLiteral("паспорт поставщика") };
    EXPECT_EQ(steels.last(), expected);
    EXPECT_TRUE(isUserSteel(db(), expected.id));
    EXPECT_EQ(chosenSteelId(), expected.id);

    // The view comes back with the new steel chosen and its values listed.
    EXPECT_EQ(window().viewTag(), QStringLiteral("ShaftSteel"));
    EXPECT_EQ(
        valueOf(QStringLiteral("SteelChoice")), QStringLiteral("30ХГСА — закалка, заготовка до 80 мм, HRC 42…48"));
    for (const char *value : { "1100", "850", "500", "490", "280", "0.1", "210000", "паспорт поставщика" })
        EXPECT_TRUE(valueTexts().contains(QString::fromUtf8(value))) << value;
    EXPECT_TRUE(rowKeys().contains(QStringLiteral("RemoveSteel")));
}

TEST_F(ShaftSteelDialogTest, ASteelWithAFaultKeepsTheDialogOpenAndReachesNoStore)
{
    const struct
    {
        const char *field;
        const char *typed;
        const char *message;
    } cases[] = {
        // σт 1200 above σв 1100: the two columns typed into each other's fields.
        { "txtSigmaT", "1200", "Предел текучести σт не может быть больше предела прочности σв." },
        { "txtGrade", "", "Укажите марку стали." },
        // E in GPa, as some handbooks print it.
        { "txtE", "210", "Значение параметра «Модуль упругости E» должно быть" },
        { "txtPsiTau", "1,5", "Значение параметра «Коэффициент чувствительности к асимметрии цикла ψτ» должно быть" },
    };
    const qsizetype catalogue = shaftSteels(db()).size();
    clickNode(QStringLiteral("ShaftSteel"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        messages.clear();
        bool openAfterOK = false;
        whenDialogOpens([&](QDialog &dialog) {
            typeSteel(dialog, c.field, QString::fromUtf8(c.typed));
            click(dialog, "cmdOK");
            openAfterOK = dialog.isVisible();
            click(dialog, "cmdCancel");
        });
        clickRow(QStringLiteral("AddSteel"));
        EXPECT_TRUE(openAfterOK);
        ASSERT_EQ(messages.shown().size(), 1);
        EXPECT_TRUE(messages.shown().first().text.startsWith(QString::fromUtf8(c.message)))
            << messages.shown().first().text.toStdString();
        EXPECT_EQ(shaftSteels(db()).size(), catalogue);
        EXPECT_FALSE(readShaftInputs(db()).isSet(shaftSetting::steel));
        EXPECT_EQ(valueOf(QStringLiteral("SteelChoice")), QStringLiteral("не выбрана"));
    }
}

TEST_F(ShaftSteelDialogTest, AUserSteelIsRemovedOnlyWhenTheEngineerAgrees)
{
    const ShaftSteel own { 0, QStringLiteral("40ХН2МА"), QString(), 0, QString(), 1000, 850, 500, 470, 270, 0.1, 2.1e5,
        QStringLiteral("паспорт") };
    const qint64 id = addShaftSteel(db(), own);
    writeShaftSetting(db(), shaftSetting::steel, static_cast<double>(id));
    clickNode(QStringLiteral("ShaftSteel"));
    EXPECT_EQ(valueOf(QStringLiteral("SteelChoice")), QStringLiteral("40ХН2МА"));

    messages.answerNext(MessageAnswer::No);
    clickRow(QStringLiteral("RemoveSteel"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text, QStringLiteral("Удалить сталь «40ХН2МА» из каталога?"));
    EXPECT_EQ(messages.shown().first().buttons, MessageButtons::YesNo);
    EXPECT_TRUE(shaftSteel(db(), id));
    EXPECT_EQ(chosenSteelId(), id);

    messages.answerNext(MessageAnswer::Yes);
    clickRow(QStringLiteral("RemoveSteel"));
    EXPECT_FALSE(shaftSteel(db(), id));
    EXPECT_FALSE(readShaftInputs(db()).isSet(shaftSetting::steel));
    EXPECT_EQ(valueOf(QStringLiteral("SteelChoice")), QStringLiteral("не выбрана"));
    EXPECT_FALSE(rowKeys().contains(QStringLiteral("RemoveSteel")));

    // A catalogue steel offers no removal.
    const ShaftSteel catalogue = shaftSteels(db()).first();
    writeShaftSetting(db(), shaftSetting::steel, static_cast<double>(catalogue.id));
    clickNode(QStringLiteral("ShaftSteel"));
    EXPECT_TRUE(valueOf(QStringLiteral("SteelChoice")).startsWith(catalogue.grade));
    EXPECT_FALSE(rowKeys().contains(QStringLiteral("RemoveSteel")));
}

// The list editor offers the handbook's steels first and the user's after
// them, so a steel just added is found at the end.
TEST_F(ShaftSteelDialogTest, TheSteelListOffersTheUsersSteelsAfterTheCatalogue)
{
    const ShaftSteel own { 0, QStringLiteral("38Х2МЮА"), QStringLiteral("азотирование"), 0, QString(), 980, 835, 500,
        450, 260, 0.1, 2.1e5, QStringLiteral("паспорт") };
    const qint64 id = addShaftSteel(db(), own);
    clickNode(QStringLiteral("ShaftSteel"));
    clickRow(QStringLiteral("SteelChoice"));
    auto *editor = window().findChild<QComboBox *>(QStringLiteral("ComboInput"));
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->count(), shaftSteels(db()).size());
    EXPECT_EQ(editor->itemText(editor->count() - 1), QStringLiteral("38Х2МЮА — азотирование"));
    editor->setCurrentIndex(editor->count() - 1);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(readShaftInputs(db()).settings.value(shaftSetting::steel), static_cast<double>(id));
    EXPECT_EQ(valueOf(QStringLiteral("SteelChoice")), QStringLiteral("38Х2МЮА — азотирование"));
    EXPECT_TRUE(valueTexts().contains(QStringLiteral("835")));
}
