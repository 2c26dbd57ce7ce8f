#pragma once

#include <QGroupBox>

class CSchemaManagerPage;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Attribute Operations", the left half of the Schema Manager: defines an attribute from a
// name, a syntax, chosen flags and, for a sized attribute, its bounds; removes one by name.
class AttributeOperations : public QGroupBox {
    Q_OBJECT
public:
    AttributeOperations(CSchemaManagerPage& page, QWidget* parent);

    QComboBox* nameCombo() const { return name_; }
    QComboBox* syntaxCombo() const { return syntax_; }
    QComboBox* flagPicker() const { return flagPicker_; }
    QListWidget* chosenFlags() const { return chosenFlags_; }
    QPushButton* createButton() const { return create_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* resetButton() const { return reset_; }

private:
    void chooseFlag(int index);
    void dropChosenFlag();
    void defineAttribute();
    void removeAttribute();
    void resetFields();
    void enableBounds(bool enabled);

    CSchemaManagerPage& page_;
    QComboBox* name_ = nullptr;
    QComboBox* syntax_ = nullptr;
    QComboBox* flagPicker_ = nullptr;
    QListWidget* chosenFlags_ = nullptr;
    QLineEdit* upper_ = nullptr;
    QLineEdit* lower_ = nullptr;
    QPushButton* create_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* reset_ = nullptr;
};
