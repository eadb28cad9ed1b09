#pragma once

#include "app/batch_driver.h"
#include "app/control_names.h"
#include "app/main_window.h"
#include "support/qt_helpers.h"
#include "ui/dialog_service.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

//! The real window, keeping every stage text and progress text it was given.
class RecordingWindow : public app::MainWindow {
public:
    using app::MainWindow::MainWindow;
    void stage(const std::string& name) override
    {
        stages.push_back(name);
        app::MainWindow::stage(name);
    }
    void showProgress(const QString& text) override
    {
        progress << text;
        app::MainWindow::showProgress(text);
    }
    std::vector<std::string> stages;
    QStringList progress;
};

//! Creates the real window offscreen with scripted dialogs, in a temporary
//! working folder (empty unless a test puts files there and creates the
//! window again). Controls are found by their object names.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(workDir.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        createWindow();
    }

    void TearDown() override
    {
        window.reset();
        QDir::setCurrent(previousDir);
    }

    //! A new window; the messages of its start-up go to startMessages.
    RecordingWindow& createWindow()
    {
        window.reset();
        dialogs.clearShown();
        window = std::make_unique<RecordingWindow>(dialogs);
        startMessages = dialogs.shown();
        dialogs.clearShown();
        return *window;
    }

    template <typename T = QWidget>
    T* find(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }
    ui::NumberEdit* edit(const char* name) const { return find<ui::NumberEdit>(name); }
    void set(const char* name, double value) const { edit(name)->setValue(value); }
    void click(const char* name) const { find<QAbstractButton>(name)->click(); }
    void calculate() const { click(app::names::kCalculate); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    const QImage& picture(const char* name) const { return find<ui::PictureBox>(name)->picture(); }
    int page() const { return find<QTabWidget>(app::names::kTabs)->currentIndex(); }
    //! A grid as --dump-grid writes it.
    const optics::Grid& grid(const char* name) const { return app::NamedGrid(*window, QString::fromLatin1(name)); }
    QString path(const char* name) const { return workDir.filePath(QString::fromLatin1(name)); }
    //! A disc of `colour` on black, saved losslessly in the working folder.
    QString writeDisc(const char* name, QSize size, QColor colour, int radius = 20) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QPoint(size.width() / 2, size.height() / 2), radius, radius);
        painter.end();
        EXPECT_TRUE(image.save(path(name), "png"));
        return path(name);
    }
    //! "Load" on the planet page, choosing `file`.
    void loadPlanet(const QString& file)
    {
        dialogs.queueFile({file, 1});
        click(app::names::kLoadPlanet);
    }
    //! The texts of the messages shown, in order.
    QStringList messages() const
    {
        QStringList texts;
        for (const auto& shown : dialogs.shown())
            texts << shown.text;
        return texts;
    }

    QTemporaryDir workDir;
    QString previousDir;
    ui::ScriptedDialogService dialogs;
    std::vector<ui::ScriptedDialogService::Shown> startMessages;
    std::unique_ptr<RecordingWindow> window;
};

}  // namespace testing_support
