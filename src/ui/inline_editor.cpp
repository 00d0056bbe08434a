// Inline editing of parameter values: a text editor for numbers, a list of
// choices for enumerated parameters, laid over the value cell. Leaving the
// editor commits: the cell shows the new value and the whole parameter set of
// the general data or of the point is written again from the view.

#include "ui/detail_view.h"

#include "scheme/scheme_edits.h"
#include "scheme/value_ranges.h"
#include "store/numbers.h"
#include "ui/command_guard.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/shaft_views.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>

namespace tarnvel {

void DetailView::createEditors()
{
    TextInput = new QLineEdit(LV->viewport());
    TextInput->setObjectName(QStringLiteral("TextInput"));
    TextInput->hide();
    TextInput->installEventFilter(this);
    // A typed comma becomes a point at once; an emptied box shows one blank.
    connect(TextInput, &QLineEdit::textChanged, this, [this](const QString &text) {
        const QString fixed = SqlNum(text);
        if (fixed == text)
            return;
        const int cursor = text.isEmpty() ? 1 : TextInput->cursorPosition();
        TextInput->setText(fixed);
        TextInput->setCursorPosition(cursor);
    });
    ComboInput = new QComboBox(LV->viewport());
    ComboInput->setObjectName(QStringLiteral("ComboInput"));
    ComboInput->setEditable(false);
    ComboInput->hide();
    ComboInput->installEventFilter(this);
    // A choice picked in the open list is committed at once, as Enter would
    // commit it; the mouse's pick is taken in choiceListEvent.
    ComboInput->view()->installEventFilter(this);
    ComboInput->view()->viewport()->installEventFilter(this);
    connect(ComboInput, &QComboBox::activated, this, [this] {
        if (!m_pickedInList)
            return;
        m_pickedInList = false;
        const QString key = m_listEditorKey;
        runCommand(&m_window, [this] { commitListEditor(); });
        returnToList(key, 0);
    });
}

// Open means shown over its cell, whether or not the window itself is on
// screen (the batch report never shows it).
bool DetailView::isEditorOpen() const
{
    return isTextEditorOpen() || !ComboInput->isHidden();
}

bool DetailView::isTextEditorOpen() const
{
    return !TextInput->isHidden();
}

void DetailView::openEditor(QTreeWidgetItem *row)
{
    const QString key = row->data(0, KeyRole).toString();
    QStringList choices;
    if (ShaftViews::isValueKey(key)) {
        choices = m_window.shaftViews().choices(key);
    } else {
        for (const ParameterChoice &choice : parameterChoices(m_state.database(), wholeNumber(leadingNumber(key))))
            choices << choice.text;
    }
    LV->setCurrentItem(row);

    if (choices.isEmpty()) {
        m_textEditorKey = key;
        TextInput->setFont(LV->font());
        const QString text = row->text(1);
        TextInput->setText(text == QLatin1String("0") ? QString() : text);
        TextInput->selectAll();
        placeEditors();
        TextInput->show();
        TextInput->setFocus();
        return;
    }

    ComboInput->blockSignals(true);
    ComboInput->clear();
    ComboInput->addItems(choices);
    m_listEditorKey = key;
    ComboInput->setFont(LV->font());
    ComboInput->setCurrentIndex(ComboInput->findText(row->text(1)));
    ComboInput->blockSignals(false);
    placeEditors();
    ComboInput->show();
    ComboInput->setFocus();
}

// Over the value cell of the row being edited: one pixel in from the cell's
// corner, as wide as the value column, as high as the row.
void DetailView::placeEditors()
{
    auto place = [this](QWidget *editor, const QString &key, bool ownHeight) {
        const QTreeWidgetItem *row = rowByKey(key);
        if (row == nullptr)
            return;
        const QRect rowRect = LV->visualItemRect(row);
        const int left = LV->header()->sectionViewportPosition(1) + 1;
        const int height = ownHeight ? editor->sizeHint().height() : rowRect.height();
        editor->setGeometry(left, rowRect.top() + 1, LV->columnWidth(1), height);
    };
    if (!m_textEditorKey.isEmpty())
        place(TextInput, m_textEditorKey, false);
    if (!m_listEditorKey.isEmpty())
        place(ComboInput, m_listEditorKey, true);
}

void DetailView::commitTextEditor()
{
    // A commit can be asked for twice for one edit (a key, then the focus
    // loss that hiding the editor causes): the second finds nothing to do.
    if (m_textEditorKey.isEmpty())
        return;
    const QString key = m_textEditorKey;
    if (ShaftViews::isValueKey(key)) {
        commitShaftValue(key);
        return;
    }
    // The distance between the supports is the length every position and
    // reaction is measured on: nothing but a positive length is taken, and
    // the editor stays on the field.
    const QTreeWidgetItem *edited = rowByKey(key);
    if (edited != nullptr && edited->data(0, TagRole).toString() == QLatin1String("1")
        && wholeNumber(leadingNumber(key)) == 2 && !(typedNumber(TextInput->text()) > 0)) {
        showMessage(QStringLiteral("Значение параметра «%1» должно быть больше нуля!").arg(edited->text(0)),
                    MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Внимание!"), &m_window);
        TextInput->setFocus();
        TextInput->selectAll();
        return;
    }
    // A number no shaft can have is not taken either: the calculation would
    // print whatever it gives without a word.
    const std::optional<ValueRange> range = parameterRange(wholeNumber(leadingNumber(key)));
    if (edited != nullptr && range && !range->containsStored(typedNumber(TextInput->text()))) {
        showMessage(outOfRangeMessage(edited->text(0), *range), MessageIcon::Exclamation, MessageButtons::Ok,
                    QStringLiteral("Внимание!"), &m_window);
        TextInput->setFocus();
        TextInput->selectAll();
        return;
    }
    m_textEditorKey.clear();
    struct Hide
    {
        QLineEdit *editor;
        ~Hide() { editor->hide(); }
    } hide{TextInput};

    QTreeWidgetItem *row = rowByKey(key);
    if (row == nullptr)
        return;
    const QString text = SqlNum(typedNumber(TextInput->text()));
    setValueCell(row, text, text);
    rewriteParameters(row, false);
}

void DetailView::commitListEditor()
{
    if (m_listEditorKey.isEmpty())
        return;
    const QString key = m_listEditorKey;
    m_listEditorKey.clear();
    struct Hide
    {
        QComboBox *editor;
        ~Hide() { editor->hide(); }
    } hide{ComboInput};

    QTreeWidgetItem *row = rowByKey(key);
    if (row == nullptr)
        return;
    if (ShaftViews::isValueKey(key)) {
        m_window.shaftViews().commitChoice(key, ComboInput->currentIndex());
        return;
    }
    const QString text = ComboInput->currentText();
    const QString shownBefore = row->text(1);
    const int codeBefore = wholeNumber(leadingNumber(row->data(1, TagRole).toString()));
    row->setText(1, text);
    const int position = ComboInput->findText(text, Qt::MatchExactly);
    if (position >= 0)
        row->setData(1, TagRole, QString::number(position + 1));
    rewriteParameters(row, true);
    if (key == QLatin1String("4 ID") && row->data(0, TagRole).toString() == QLatin1String("1") && position >= 0)
        offerForceConversion(codeBefore, shownBefore, position + 1, text);
}

// A value of the shaft's steps or settings: a refused one keeps the editor
// on its field; a taken one is shown as the store keeps it, with everything
// it changed (the shaft's length).
void DetailView::commitShaftValue(const QString &key)
{
    const std::optional<QString> refused = m_window.shaftViews().commitValue(key, TextInput->text());
    if (refused) {
        showMessage(*refused, MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Внимание!"), &m_window);
        TextInput->setFocus();
        TextInput->selectAll();
        return;
    }
    m_textEditorKey.clear();
    TextInput->hide();
    m_window.shaftViews().show(m_viewTag);
}

// The store takes exactly the parameters of the view with the values shown.
void DetailView::rewriteParameters(QTreeWidgetItem *edited, bool fromList)
{
    const bool generalData = edited->data(0, TagRole).toString() == QLatin1String("1");
    QVector<ParameterValue> values;
    for (int i = 0; i < LV->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = LV->topLevelItem(i);
        const QVariant tag = row->data(1, TagRole);
        double value = leadingNumber(tag.toString());
        if (!generalData) {
            if (!tag.isValid())
                continue; // a command row, no value cell
            // A choice that was never made stands for its first entry.
            if (value == 0.0)
                value = fromList && row->data(1, ChoiceRole).toBool() ? 1.0 : 0.0;
        }
        values.append({ wholeNumber(leadingNumber(row->data(0, KeyRole).toString())), value });
    }
    const QTreeWidgetItem *node = m_window.tree()->currentItem();
    const QString pointKey = node ? node->data(0, KeyRole).toString() : QString();
    try {
        if (generalData)
            rewriteGeneralData(m_state.database(), values);
        else
            rewritePointParameters(m_state.database(), m_viewTag.toLongLong(), values);
    } catch (const StoreError &) {
        // The store kept what it had (a full disk, a store taken by another
        // program): the list shows that at once, not the value refused.
        try {
            if (generalData)
                showGeneralDataView();
            else if (pointKey.contains(QLatin1String(" N")))
                showPointView(pointKey);
        } catch (const StoreError &) {
            // The store cannot be read either; the message of the failed
            // write says enough.
        }
        throw;
    }
}

// A click on an entry of the open list picks it and commits at once: a press
// there first, not the release of the click that opened the list.
bool DetailView::choiceListEvent(QObject *watched, QEvent *event)
{
    QAbstractItemView *choices = ComboInput->view();
    if (watched == choices && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        m_pickedInList = key == Qt::Key_Return || key == Qt::Key_Enter;
    }
    if (watched != choices->viewport())
        return false;
    if (event->type() == QEvent::MouseButtonPress)
        m_pickedInList = true;
    if (event->type() != QEvent::MouseButtonRelease || !m_pickedInList)
        return false;
    m_pickedInList = false;
    const QModelIndex entry = choices->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint());
    if (!entry.isValid())
        return false;
    ComboInput->setCurrentIndex(entry.row());
    ComboInput->hidePopup();
    const QString key = m_listEditorKey;
    runCommand(&m_window, [this] { commitListEditor(); });
    returnToList(key, 0);
    return true;
}

bool DetailView::editorEvent(QObject *watched, QEvent *event)
{
    if (watched == ComboInput && (event->type() == QEvent::KeyPress || event->type() == QEvent::Wheel))
        m_pickedInList = false;
    const bool text = watched == TextInput;

    if (event->type() == QEvent::FocusOut) {
        // Leaving the editor commits; switching to another program or
        // opening the list of choices does not leave it. The first opening
        // of the list also moves the focus into it, for another reason.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        const bool intoOwnList = !text && ComboInput->view()->isVisible();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !intoOwnList)
            runCommand(&m_window, [this, text] { text ? commitTextEditor() : commitListEditor(); });
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    bool commits = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    if (text)
        commits = commits || key == Qt::Key_Up || key == Qt::Key_Down;
    if (!commits)
        return false;
    // The commit keys belong to the editor alone: the list under it must not
    // act on them as well. A release whose press went elsewhere (the Enter
    // that closed the message about a refused value) is no commit.
    if (event->type() == QEvent::KeyPress)
        m_commitKeyPressed = true;
    if (event->type() == QEvent::KeyRelease && m_commitKeyPressed) {
        m_commitKeyPressed = false;
        const QString edited = text ? m_textEditorKey : m_listEditorKey;
        runCommand(&m_window, [this, text] { text ? commitTextEditor() : commitListEditor(); });
        // A refused value keeps the editor open on its field: taking the
        // focus away would commit it once more and say it again.
        if (!(text && isTextEditorOpen() && !m_textEditorKey.isEmpty()))
            returnToList(edited, key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : 0);
    }
    event->accept();
    return true;
}

// After a commit from the keyboard the keys go on in the list: on the edited
// row, or the one above or below it for the arrow that committed.
void DetailView::returnToList(const QString &key, int step)
{
    QTreeWidgetItem *row = key.isEmpty() ? nullptr : rowByKey(key);
    if (row == nullptr || !LV->isVisible())
        return;
    QTreeWidgetItem *next = step > 0 ? LV->itemBelow(row) : step < 0 ? LV->itemAbove(row) : row;
    LV->setCurrentItem(next ? next : row);
    LV->setFocus(Qt::OtherFocusReason);
}

} // namespace tarnvel
