#pragma once

class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;
class QWidget;

// The display surfaces a page hands to ReadAttributeValues. The value list and the
// text panel share one place on the page; exactly one of them is on show.
struct ValueSurfaces {
    QTreeWidget* valueList = nullptr;    // report-mode list, initially hidden
    QPlainTextEdit* textPanel = nullptr; // read-only, vertical scroll bar, initially shown
    QLineEdit* syntaxField = nullptr;    // read-only "Syntax:" field
    // A page without a text panel and "Syntax:" field (the Object Editor) leaves both
    // null: its list is cleared for every attribute and streams are not read.
};

// Makes the three surfaces as the browser shows them, as children of `parent`.
ValueSurfaces makeValueSurfaces(QWidget* parent);
// Sets up surfaces a page made itself (e.g. from its layout) the same way.
void configureTextPanel(QPlainTextEdit& panel);
void configureSyntaxField(QLineEdit& field);
