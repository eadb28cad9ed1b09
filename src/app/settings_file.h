#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <utility>
#include <vector>

class QWidget;

namespace app {

// A settings file keeps what the user set: every control's value by the
// control's object name, and whatever else a part of the program adds, as
// readable JSON:
//
//   {
//     "format": "Quintalis settings",
//     "version": 1,
//     "program": "Quintalis 0.1.0",
//     "controls": { "ApertureSpin": 8, "Inches": true, "AniAberchoice": 0, ... }
//   }
//
// Numeric editors and sliders hold numbers, check boxes and radio buttons
// true or false, drop-down lists the index of their item (from 0). A PNG
// picture the program saved carries the same document in its text chunk
// "QuintalisSettings".

inline constexpr char kSettingsFormat[] = "Quintalis settings";
//! The version this program writes. It reads every version: a newer file
//! loads what this program knows and names the rest.
inline constexpr int kSettingsVersion = 1;
//! Larger files are refused before they are read. A measured wavefront map
//! is kept by value: the largest the Measured page reads (4096 x 4096
//! samples) takes 180 MB.
inline constexpr qint64 kLargestSettingsFile = qint64{256} << 20;
//! The PNG text chunk that holds the settings of a saved picture (one word:
//! the toolkit's reader takes a keyword with a space for a description).
inline constexpr char kPngSettingsKey[] = "QuintalisSettings";

//! A part of the settings that is not the value of a control (a measured
//! wavefront, for example), kept in the document under `key`.
struct SettingsPart {
    QString key;
    //! The value to keep.
    std::function<QJsonValue()> save;
    //! Takes a kept value; a value it cannot take fails with a sentence
    //! naming what is wrong and leaves the part as it was.
    std::function<base::Status(const QJsonValue&)> load;
};

//! The settings of a window: collects them from its controls and puts them
//! back as a user would set them (the controls' own handlers run).
class WindowSettings {
public:
    //! The controls of `window` that hold a value: every named numeric
    //! editor, check box, radio button, drop-down list and slider, but those
    //! named in `leftOut` or inside a widget named there (a frame position,
    //! a list that asks for a file, a page that keeps its own as a part).
    WindowSettings(QWidget& window, QStringList leftOut);

    void addPart(SettingsPart part);

    //! Every control's value.
    QJsonObject controls() const;
    //! The values of those of `names` that are kept controls, read from the
    //! widgets found when first asked for (again if one of them went).
    QJsonObject controls(const QStringList& names) const;
    //! The whole document: format, version, program, controls and parts.
    QJsonObject document() const;

    //! Puts the values of `document` (checked by ParseSettings) into the
    //! controls, in the order of the window, then the parts, then "Live". Whatever cannot
    //! be taken is left as it was; the result names each such thing in a
    //! sentence ("\"FooSpin\" is no control of this version"), and values
    //! brought into a control's range.
    QStringList apply(const QJsonObject& document);

    //! Names of the controls whose values are kept, in the order they are
    //! set (the window's order; "Live" last, so nothing is calculated while
    //! a file is loaded).
    QStringList names() const;

private:
    using Controls = std::vector<std::pair<QString, QPointer<const QWidget>>>;
    //! What some controls held when last read, and the object made of it.
    struct Read {
        std::vector<QString> names;
        std::vector<QJsonValue> values;
        QJsonObject object;
    };

    //! The controls kept, by name, in the order of names(): those found when
    //! first asked for, found again if one of them went.
    const Controls& named() const;
    Controls find() const;
    //! The values of `controls` as an object; `last` keeps what they held.
    static QJsonObject objectOf(const Controls& controls, Read& last);

    QWidget& m_window;
    QStringList m_leftOut;
    mutable Controls m_named;
    mutable Read m_namedRead;
    mutable std::map<QStringList, std::pair<Controls, Read>> m_found;
    std::vector<SettingsPart> m_parts;
};

//! The document in `bytes` (a settings file, or a PNG picture with the
//! settings chunk), checked: a JSON object of the right format with a
//! version and a "controls" object. A damaged document fails with one
//! sentence about `name`.
base::Result<QJsonObject> ParseSettings(const QByteArray& bytes, const QString& name);

//! Reads and parses the settings file at `path` (a regular file of at most
//! kLargestSettingsFile bytes).
base::Result<QJsonObject> ReadSettingsFile(const QString& path);

//! The document as the file holds it (indented JSON).
QByteArray SettingsBytes(const QJsonObject& document);

//! Writes `document` to `path` through the program's safe writer.
base::Status WriteSettingsFile(const QString& path, const QJsonObject& document);

}  // namespace app
