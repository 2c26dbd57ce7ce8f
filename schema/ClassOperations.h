#pragma once

#include <QGroupBox>
#include <cstdint>
#include <string>
#include <vector>

class CSchemaManagerPage;
class ClientBuffer;
class QComboBox;
class QListWidget;
class QPushButton;

// "Object Operations", the right half of the Schema Manager: defines a class from a name,
// a super class, containment classes, flags, a naming attribute and mandatory and optional
// attributes; adds optional attributes to a class; removes a class by name.
class ClassOperations : public QGroupBox {
    Q_OBJECT
public:
    ClassOperations(CSchemaManagerPage& page, QWidget* parent);

    QComboBox* classNameCombo() const { return className_; }
    QComboBox* superClassCombo() const { return superClass_; }
    QComboBox* namingAttributeCombo() const { return namingAttribute_; }
    QComboBox* containerPicker() const { return containerPicker_; }
    QComboBox* classFlagPicker() const { return classFlagPicker_; }
    QComboBox* mandatoryPicker() const { return mandatoryPicker_; }
    QComboBox* optionalPicker() const { return optionalPicker_; }
    QListWidget* containmentList() const { return containment_; }
    QListWidget* classFlagList() const { return classFlags_; }
    QListWidget* mandatoryList() const { return mandatory_; }
    QListWidget* optionalList() const { return optional_; }
    QPushButton* modifyButton() const { return modify_; }
    QPushButton* createButton() const { return create_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* resetButton() const { return reset_; }

private:
    // A picker above its list box in a group of their own; choosing an entry copies it into
    // the list, double-clicking an entry of the list drops it.
    QGroupBox* makePickerGroup(const QString& title, const QString& name, QComboBox*& picker,
                               QListWidget*& list);
    void defineClass();
    void addOptionalAttributes();
    void removeClass();
    void resetFields();
    // The define-class request: the five lists into a request buffer, then the definition.
    void sendDefinition(const std::string& name, std::uint32_t flags);
    void sendOptionalAttributes(const std::string& name);
    // A request buffer allocated and prepared for `operation`, and class items put into it;
    // false (with the failure reported) when the client refuses.
    bool prepareRequest(ClientBuffer& request, std::uint32_t operation);
    bool putClassItems(ClientBuffer& request, const std::vector<std::string>& items);

    CSchemaManagerPage& page_;
    QComboBox* className_ = nullptr;
    QComboBox* superClass_ = nullptr;
    QComboBox* namingAttribute_ = nullptr;
    QComboBox* containerPicker_ = nullptr;
    QListWidget* containment_ = nullptr;
    QComboBox* classFlagPicker_ = nullptr;
    QListWidget* classFlags_ = nullptr;
    QComboBox* mandatoryPicker_ = nullptr;
    QListWidget* mandatory_ = nullptr;
    QComboBox* optionalPicker_ = nullptr;
    QListWidget* optional_ = nullptr;
    QPushButton* modify_ = nullptr;
    QPushButton* create_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* reset_ = nullptr;
};
