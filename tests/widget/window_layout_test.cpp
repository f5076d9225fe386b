// The window against its design: every control's name, kind, caption, container, position,
// size and initial state, the focus order, the slider and the timers.
#include "support/form_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

struct ControlRow
{
    const char *name;
    const char *kind;
    const char16_t *caption;
    const char *container;        // "" for the window itself
    int left, top, width, height; // twips
    bool enabled;
};

// Positions and sizes in twips, as designed; 15 twips make a pixel.
const ControlRow controls[] = {
    {"Frame1", "QGroupBox", u"テストメッセージ", "", 120, 120, 9375, 3135, true},
    {"Frame2", "QGroupBox", u"フリーメッセージ", "", 120, 3360, 11295, 4095, true},
    {"Frame3", "QGroupBox", u"COM", "", 9720, 120, 1695, 2055, true},
    {"Frame4", "QGroupBox", u"", "", 9720, 2280, 1695, 975, true},
    {"Command1", "QPushButton", u"メッセージ1", "Frame1", 480, 480, 1095, 495, true},
    {"Label1",
     "QLabel",
     u"\u201Dひらがなや\u201Dかたかなで\uFF5E\"",
     "Frame1",
     1920,
     600,
     2175,
     255,
     true},
    {"Command2", "QPushButton", u"メッセージ2", "Frame1", 480, 1080, 1095, 495, true},
    {"Label2",
     "QLabel",
     u"\"ちきゅうから\u3001た'いようまでの\uFF5E\"",
     "Frame1",
     1920,
     1200,
     2775,
     375,
     true},
    {"Command3", "QPushButton", u"メッセージ3", "Frame1", 480, 1680, 1095, 495, true},
    {"Label3_0",
     "QLabel",
     u"\"か\u30FCどばんごうは\uFF5E\"",
     "Frame1",
     1920,
     1800,
     2535,
     255,
     true},
    {"Command16", "QPushButton", u"メッセージ4", "Frame1", 480, 2280, 1095, 495, true},
    {"Label3_1",
     "QLabel",
     u"\"げんざいの\u3001そうちでんあつわ\uFF5E\"",
     "Frame1",
     1920,
     2400,
     2775,
     255,
     true},
    {"Command7", "QPushButton", u"チャイム1", "Frame1", 6120, 480, 1095, 495, true},
    {"Label4", "QLabel", u"\"ピン\uFF5E\"", "Frame1", 7560, 600, 1215, 375, true},
    {"Command8", "QPushButton", u"チャイム2", "Frame1", 6120, 1080, 1095, 495, true},
    {"Label5", "QLabel", u"\"ポ\uFF5Eン\"", "Frame1", 7560, 1320, 1335, 255, true},
    {"Command17", "QPushButton", u"FILE", "Frame1", 6120, 1680, 1095, 495, true},
    {"Label11", "QLabel", u"FILE_読込", "Frame1", 7560, 1800, 855, 255, true},
    {"Label7", "QLabel", u"送信データ", "Frame2", 840, 600, 1095, 255, true},
    {"Command4", "QPushButton", u"MSG", "Frame2", 2400, 360, 735, 375, true},
    {"Command10", "QPushButton", u"発話", "Frame2", 3360, 360, 735, 375, false},
    {"Command18", "QPushButton", u"中止", "Frame2", 4320, 360, 735, 375, true},
    {"Command11", "QPushButton", u"記録", "Frame2", 6120, 360, 735, 375, true},
    {"Command13", "QPushButton", u"再生", "Frame2", 7080, 360, 735, 375, true},
    {"Text1", "QPlainTextEdit", u"", "Frame2", 840, 840, 10095, 1935, true},
    {"Label6", "QLabel", u"受信データ", "Frame2", 840, 3320, 1095, 255, true},
    {"Text2", "QLineEdit", u"", "Frame2", 840, 3560, 1215, 375, true},
    {"Command15", "QPushButton", u"STT", "Frame2", 2760, 3560, 735, 375, true},
    {"Label10", "QLabel", u"速度", "Frame2", 4320, 3360, 495, 255, true},
    {"Slider1", "QSlider", u"", "Frame2", 4920, 3360, 3855, 255, true},
    {"Label8_1", "QLabel", u"50", "Frame2", 4920, 3720, 255, 255, true},
    {"Label8_0", "QLabel", u"100", "Frame2", 5640, 3720, 375, 255, true},
    {"Label8_2", "QLabel", u"200", "Frame2", 7080, 3720, 255, 255, true},
    {"Label8_3", "QLabel", u"300", "Frame2", 8520, 3720, 255, 255, true},
    {"Label9", "QLabel", u"[%]", "Frame2", 8880, 3720, 375, 255, true},
    {"Combo1", "QComboBox", u"COM1", "Frame3", 240, 240, 1215, 300, true},
    {"Command5", "QPushButton", u"OPEN", "Frame3", 360, 720, 975, 495, true},
    {"Command6", "QPushButton", u"CLOSE", "Frame3", 360, 1320, 975, 495, false},
    {"Command9", "QPushButton", u"終了", "Frame4", 360, 240, 975, 495, true},
    {"Command19", "QPushButton", u"VER", "", 6240, 2400, 1095, 495, true},
    {"Text3", "QLineEdit", u"", "", 7560, 2450, 1215, 375, true},
    {"Combo2", "QComboBox", u"ROM1", "", 8160, 3750, 1215, 300, true},
    {"Check1", "QCheckBox", u"Repeat", "", 960, 6130, 1215, 360, true},
    {"Picture1", "QLabel", u"", "", 2280, 6900, 375, 375, true},
};

QString captionOf(QWidget *widget)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *frame = qobject_cast<QGroupBox *>(widget))
        return frame->title();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *box = qobject_cast<QPlainTextEdit *>(widget))
        return box->toPlainText();
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->currentText();
    return QString();
}

int px(int twips)
{
    return qRound(twips / 15.0);
}

class WindowLayout : public FormTest
{
protected:
    void SetUp() override { createForm(); }
};

TEST_F(WindowLayout, EveryControlAsDesigned)
{
    for (const ControlRow &row : controls) {
        SCOPED_TRACE(row.name);
        auto *widget = control<QWidget>(row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), row.kind);
        EXPECT_EQ(captionOf(widget), QString::fromUtf16(row.caption));
        const QString container = QString::fromLatin1(row.container);
        EXPECT_EQ(widget->parentWidget()->objectName(),
                  container.isEmpty() ? QStringLiteral("Form1") : container);
        EXPECT_EQ(widget->geometry(),
                  QRect(px(row.left), px(row.top), px(row.width), px(row.height)));
        EXPECT_EQ(widget->isEnabled(), row.enabled);
    }
}

TEST_F(WindowLayout, NoOtherWidgetsAndNoLayouts)
{
    QStringList expected;
    for (const ControlRow &row : controls)
        expected << QString::fromLatin1(row.name);
    QStringList named;
    for (QWidget *child : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        named << child->objectName();
    for (const char *frame : {"Frame1", "Frame2", "Frame3", "Frame4"}) {
        for (QWidget *child :
             control<QWidget>(frame)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            named << child->objectName();
    }
    named.sort();
    expected.sort();
    EXPECT_EQ(named, expected);
    EXPECT_EQ(form->layout(), nullptr);
    for (QGroupBox *frame : form->findChildren<QGroupBox *>())
        EXPECT_EQ(frame->layout(), nullptr) << frame->objectName().toStdString();
}

TEST_F(WindowLayout, WindowCaptionSizeAndStartState)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("PARLINO Ver1.05"));
    EXPECT_EQ(form->size(), QSize(769, 506));
    EXPECT_FALSE(control<QCheckBox>("Check1")->isChecked());
    EXPECT_TRUE(control<QComboBox>("Combo1")->isEditable());
    EXPECT_FALSE(control<QComboBox>("Combo2")->isEditable());
    auto *text1 = control<QPlainTextEdit>("Text1");
    EXPECT_EQ(text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(text1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(text1->isReadOnly());
}

TEST_F(WindowLayout, SliderRangeStepsAndTicks)
{
    auto *slider = control<QSlider>("Slider1");
    EXPECT_EQ(slider->orientation(), Qt::Horizontal);
    EXPECT_EQ(slider->minimum(), 50);
    EXPECT_EQ(slider->maximum(), 300);
    EXPECT_EQ(slider->value(), 100);
    EXPECT_EQ(slider->singleStep(), 1);
    EXPECT_EQ(slider->pageStep(), 5);
    EXPECT_EQ(slider->tickInterval(), 10);
    EXPECT_NE(slider->tickPosition(), QSlider::NoTicks);
    EXPECT_FALSE(slider->hasTracking());
}

TEST(WindowTimers, BothTimersRunEvery100msOnlyWhileARunIsActive)
{
    ScopedWorkDir work;
    Form1 form(std::make_unique<RecordingSerial>());
    form.Command5_Click();
    const auto active = [&] {
        return QList{form.Timer1->isActive(), form.Timer2->isActive()};
    };
    EXPECT_EQ(active(), QList({false, false}));
    form.setText1_Text(QStringLiteral("MSGa"));
    form.Command10_Click();
    EXPECT_EQ(active(), QList({true, true}));
    EXPECT_EQ(form.Timer1->interval(), 100);
    EXPECT_EQ(form.Timer2->interval(), 100);
    form.Command18_Click();
    form.Command18_Click();
    QTest::qWait(QApplication::doubleClickInterval() + 10);
    form.Command18_Click();
    EXPECT_EQ(form.runOutcome(), RunOutcome::Abandoned);
    EXPECT_EQ(active(), QList({false, false}));
}

TEST_F(WindowLayout, ResizingMovesNothing)
{
    const QRect before = control<QWidget>("Command9")->geometry();
    form->resize(400, 300);
    EXPECT_EQ(control<QWidget>("Command9")->geometry(), before);
    form->resize(1200, 900);
    EXPECT_EQ(control<QWidget>("Command9")->geometry(), before);
}

// Tab from the send box walks the focusable controls in their designed order.
class FocusOrder : public FormTest
{
};

TEST_F(FocusOrder, TabWalksTheDesignedOrder)
{
    createForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QStringList closedPort
        = {"Text1",     "Command1",  "Command2", "Command3",  "Command4",  "Command5",
           "Combo1",    "Command7",  "Command8", "Command9",  "Text2",     "Command11",
           "Command13", "Command15", "Slider1",  "Command16", "Command17", "Command18",
           "Check1",    "Command19", "Text3",    "Combo2",    "Text1"};
    EXPECT_EQ(form->focusWidget(), control<QWidget>("Text1"));
    // The control that has the focus; the port box's focus sits in its line edit.
    auto focusedControl = [&] {
        QWidget *widget = QApplication::focusWidget();
        while (widget && widget->objectName().isEmpty())
            widget = widget->parentWidget();
        return widget ? widget->objectName() : QStringLiteral("?");
    };
    auto walk = [&] {
        QStringList visited{focusedControl()};
        while (visited.size() < 40) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focusedControl();
            if (visited.last() == QLatin1String("Text1"))
                break;
        }
        return visited;
    };
    EXPECT_EQ(walk(), closedPort);

    openPort();
    QStringList openPortOrder = closedPort;
    openPortOrder.removeAll(QStringLiteral("Command5"));
    openPortOrder.insert(openPortOrder.indexOf(QStringLiteral("Combo1")),
                         QStringLiteral("Command6"));
    openPortOrder.insert(openPortOrder.indexOf(QStringLiteral("Command11")),
                         QStringLiteral("Command10"));
    control<QWidget>("Text1")->setFocus();
    EXPECT_EQ(walk(), openPortOrder);
}

} // namespace
