#include "app/pages/chromatic_page.h"

#include "ui/picture_box.h"

namespace app {

ChromaticPage::ChromaticPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Chromatic"));
    chroma = new ui::PictureBox(this, 257, 257);
    chroma->setObjectName(QStringLiteral("chroma"));
    chroma->move(290, 40);
}

}  // namespace app
