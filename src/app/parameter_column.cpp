#include "app/parameter_column.h"

#include "ui/number_edit.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace app {

ParameterColumn::ParameterColumn(QWidget* window)
    : QObject(window)
{
    Aperturebox = new QGroupBox(window);
    Aperturebox->setObjectName(QStringLiteral("Aperturebox"));
    Aperturebox->setGeometry(559, 16, 137, 210);

    Panel2 = new QFrame(window);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setGeometry(559, 224, 137, 193);

    Panel3 = new QFrame(window);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameShape(QFrame::StyledPanel);
    Panel3->setGeometry(0, 343, 560, 75);

    CalculateButton = new QPushButton(QStringLiteral("Calculate"), Panel2);
    CalculateButton->setObjectName(QStringLiteral("CalculateButton"));
    CalculateButton->setGeometry(16, 150, 105, 30);
}

}  // namespace app
