#pragma once

#include "app/main_window.h"
#include "optics/engine.h"
#include "ui/number_edit.h"
#include "ui/dialog_service.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Failure messages show QStrings as text. Every test of the program that
// compares QStrings sees this same printer (one definition per program).
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace testing_support {

//! Creates the real window offscreen with scripted dialogs, in a temporary
//! working directory (empty unless a test puts files there first).
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(workDir.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
    }

    void TearDown() override
    {
        form.reset();
        QDir::setCurrent(previousDir);
    }

    //! Creates the window (FormCreate runs inside).
    app::TForm1& createForm()
    {
        engine = optics::Engine::Create();
        form = std::make_unique<app::TForm1>(*engine, dialogs);
        return *form;
    }

    template <typename T>
    T* find(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }

    ui::NumberEdit* edit(const char* name) const { return find<ui::NumberEdit>(name); }

    QTemporaryDir workDir;
    QString previousDir;
    ui::ScriptedDialogService dialogs;
    std::unique_ptr<optics::Engine> engine;
    std::unique_ptr<app::TForm1> form;
};

}  // namespace testing_support
