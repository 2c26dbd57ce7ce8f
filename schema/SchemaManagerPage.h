#pragma once

#include "pages/PageFrame.h"

#include <QString>
#include <array>

class AttributeOperations;
class ClassOperations;
class QComboBox;
class QLabel;

// "Schema Manager": defines and removes attribute and class definitions. Its context works
// at "[Root]"; it has no header fields and no class icons. A user without the supervisor
// right on "[Root]" gets the page with every control disabled.
class CSchemaManagerPage : public PageFrame {
    Q_OBJECT
public:
    CSchemaManagerPage(const PageServices& services, QWidget* parent);

    // Decided once, at initialisation.
    bool hasRights() const { return rights_; }

    // ---- What the two halves share ----
    // Runs `handler` as a command of the page: the texts of the five pickers are emptied
    // first, their lists and selections stay.
    template <class Sender, class Signal, class Handler>
    void onCommand(Sender* sender, Signal signal, Handler handler) {
        connect(sender, signal, this, [this, handler](auto&&... args) {
            emptyPickerTexts();
            handler(args...);
        });
    }
    void emptyPickerTexts();
    // The class names into "Class Name:", "Super Class:" and (containers) the container
    // picker; the attribute names into the four attribute combos. Each empties them first.
    void fillClassPickers();
    void fillAttributePickers();
    // Shows the failed input checks in one message box; false when there were none.
    bool showFailedChecks(const QString& failed);
    QLabel* labelFor(const QString& text, QWidget* control, QWidget* parent);

protected:
    void buildControls() override;
    void fillPage() override;

private:
    void fillSyntaxPicker();
    void fillFlagPickers();
    void disableForMissingRights();

    AttributeOperations* attributes_ = nullptr;
    ClassOperations* classes_ = nullptr;
    QLabel* noRightsText_ = nullptr;
    bool rights_ = false;
};
