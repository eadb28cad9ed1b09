// Numbers typed to the ends of what the editors read, into every editor, and
// read before the editor is left: "Live" calculates the star as the text
// changes, the double star and the display curve follow their editors at
// once, and the other views read their editors when their button is
// clicked. Nothing may overflow on the way: the sanitizer build (with
// float-cast-overflow) fails at a conversion out of range; here every view
// answers with a picture or a message.
#include "window_fixture.h"

#include <QCheckBox>

#include <map>
#include <string>

namespace {

using namespace app::names;

class ExtremeValues : public testing_support::WindowTest {};

TEST_F(ExtremeValues, EveryEditorReadsTheEndsOfTheNumbersWithoutOverflow)
{
    // The editors read only when a button is clicked, and its button.
    std::map<std::string, const char*> buttons = {
        {kLowest, kAnimate}, {kHighest, kAnimate}, {kSteps, kAnimate}, {kFocalShift, kCalculateChromatic}};
    for (int k = 0; k < 7; ++k) {
        buttons[kRowWavelength[k]] = kCalculateChromatic;
        buttons[kRowFocus[k]] = kCalculateChromatic;
        buttons[kRowSpherical[k]] = kCalculateChromatic;
    }
    find<QCheckBox>(kLive)->setChecked(true);
    calculate();
    window->waitForRuns();
    const QStringList texts = {"1e300", "-1e300", "9e18", "-9e18", "4294967296"};
    int editors = 0;
    for (ui::NumberEdit* e : window->findChildren<ui::NumberEdit*>()) {
        // Every editor has the limits a user expects: none reads without.
        EXPECT_LT(e->minimum(), e->maximum()) << e->objectName().toStdString();
        if (!e->typingEnabled())
            continue;
        ++editors;
        const std::string name = e->objectName().toStdString();
        const QString before = e->text();
        for (const QString& text : texts) {
            SCOPED_TRACE(name + " = " + text.toStdString());
            e->setText(text);
            window->waitForRuns();
            if (const auto button = buttons.find(name); button != buttons.end()) {
                dialogs.clearShown();
                click(button->second);
                window->waitForRuns();
            }
        }
        e->setText(before);
        window->waitForRuns();
    }
    EXPECT_GE(editors, 40);
    // The star of the controls as they were is still there to calculate.
    dialogs.clearShown();
    calculate();
    window->waitForRuns();
    EXPECT_EQ(messages(), QStringList());
    EXPECT_TRUE(find<ui::PictureBox>(kStarImage)->drawn());
}

}  // namespace
