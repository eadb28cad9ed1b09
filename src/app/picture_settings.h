#pragma once

#include <QJsonObject>
#include <QObject>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>

class QWidget;

namespace ui {
class PictureBox;
}

namespace app {

class WindowSettings;

//! Which settings made each picture on show, for the files it is saved in.
//! A picture drawn by a calculation has the settings as that calculation
//! read them when it started; the controls that redraw a picture without
//! calculating (zoom, brightness, display curve, the double star's
//! separation, magnitudes and angle) count as they were when it was drawn.
class PictureSettings : public QObject {
public:
    //! Follows every picture box of `window`; `running` says whether a
    //! calculation is delivering its results.
    PictureSettings(QWidget& window, const WindowSettings& settings, std::function<bool()> running);

    //! The controls are being read for a calculation.
    void calculationStarted();
    //! The settings document of the picture `box` shows (the settings of now
    //! for a picture never drawn).
    QJsonObject of(const ui::PictureBox& box) const;

    //! The controls that redraw a picture without calculating.
    static QStringList drawingControls();

private:
    void drawn(const ui::PictureBox* box);

    const WindowSettings& m_settings;
    std::function<bool()> m_running;
    QJsonObject m_run;  // as the last calculation read them
    std::map<const ui::PictureBox*, QJsonObject> m_pictures;
    // The last document made for a picture drawn, from what: the pictures of
    // one delivery share it.
    struct Made {
        QJsonObject from;
        QJsonObject drawing;
        QJsonObject document;
    };
    std::optional<Made> m_made;
};

}  // namespace app
