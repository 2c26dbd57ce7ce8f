#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class QListWidget;
class QWidget;

// The Schema Manager's controls: drop-down combos with an editable text and a sorted list,
// and sorted list boxes of chosen entries. Both sort without regard to case.
namespace pickers {

QComboBox* makeCombo(QWidget* parent, const QString& objectName);
// The name a screen reader announces for the combo's drop-down list too.
void nameList(QComboBox* combo, const QString& name);
QListWidget* makeChosenList(QWidget* parent, const QString& objectName);

// Puts an entry at its sorted place (after entries equal to it).
void addSorted(QComboBox* combo, const QString& text);
void addSorted(QListWidget* list, const QString& text);
// Puts many entries at their sorted places in one go: the same order as adding each.
void addAllSorted(QComboBox* combo, const QStringList& texts);
// Adds a chosen entry unless the list holds one equal to it, ignoring case; true if added.
bool addUnlessPresent(QListWidget* list, const QString& text);
bool holds(const QListWidget* list, const QString& text);
// Empties the list and the text.
void clear(QComboBox* combo);

// Every entry of a list, in list order.
QStringList entries(const QListWidget* list);
std::vector<std::string> entryNames(const QListWidget* list);
// A control's text as the page reads it: cut to `maxChars` characters.
std::string text(const QComboBox* combo, int maxChars);

} // namespace pickers
