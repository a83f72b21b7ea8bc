#include "viewer/ui/ov_dialog_view.h"

#include <QComboBox>
#include <QLineEdit>

#include "dialogs/ui/template_loader.h"
#include "dialogs/ui/ui_resources.h"
#include "viewer/call_list.h"
#include "viewer/ui/viewer_ui_ids.h"

namespace ov {

namespace {

QString ControlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

constexpr int kListControls[kFilterListCount] = {kMonthsList, kEntriesList, kUsersList,
                                                 kDeviceNamesList, kDeviceTypesList};

}  // namespace

OVDialogView::OVDialogView(CallList& list, const UiResources& resources, QWidget* parent)
    : QScrollArea(parent), m_list(list) {
    setObjectName(QStringLiteral("OVDialogView"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    m_form = TemplateLoader::Load(resources, kFormViewTemplate).release();
    if (m_form == nullptr) {
        setWidget(new QWidget);
        return;
    }
    setWidget(m_form);
    for (int i = 0; i < kFilterListCount; ++i) {
        const auto id = static_cast<FilterListId>(i);
        auto* combo = m_form->findChild<QComboBox*>(ControlName(kListControls[i]));
        m_lists[static_cast<std::size_t>(i)] = combo;
        if (combo == nullptr) {
            continue;
        }
        combo->setMaxVisibleItems(20);
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, id](int index) { OnSelected(id, index); });
    }
    for (QLineEdit* field : m_form->findChildren<QLineEdit*>()) {
        field->setReadOnly(true);
    }
}

OVDialogView::~OVDialogView() = default;

void OVDialogView::FillHooks(CallListHooks& hooks) {
    hooks.showTotals = [this](const CallTotals& totals) { ShowTotals(totals); };
    hooks.choiceAppended = [this](FilterListId id) { AppendChoice(id); };
}

void OVDialogView::FillLists() {
    Settings& settings = m_list.Filter().SettingsRef();
    m_list.Choices().Fill(settings, m_list.Texts());
    m_filling = true;
    for (int i = 0; i < kFilterListCount; ++i) {
        QComboBox* combo = m_lists[static_cast<std::size_t>(i)];
        const auto& choice = m_list.Choices().lists[static_cast<std::size_t>(i)];
        if (combo == nullptr || combo->count() != 0) {
            continue;
        }
        for (std::size_t item = 0; item < choice.items.size(); ++item) {
            combo->addItem(QString::fromStdString(choice.items[item]), static_cast<int>(item));
        }
        combo->setCurrentIndex(choice.selected);
    }
    m_filling = false;
}

void OVDialogView::ShowTotals(const CallTotals& totals) {
    if (m_form == nullptr) {
        return;
    }
    for (const SumsField& field : SumsFields(totals, m_list.Filter().SettingsRef().CurrentTariff)) {
        if (auto* edit = m_form->findChild<QLineEdit*>(ControlName(field.id))) {
            edit->setText(QString::fromStdString(field.text));
            edit->setCursorPosition(0);
        }
    }
}

void OVDialogView::OnSelected(FilterListId id, int index) {
    if (m_filling || index < 0) {
        return;
    }
    m_list.ChooseFilter(id, index);
}

void OVDialogView::AppendChoice(FilterListId id) {
    QComboBox* combo = List(id);
    const auto& items = m_list.Choices()[id].items;
    if (combo == nullptr || items.empty()) {
        return;
    }
    const bool filling = m_filling;
    m_filling = true;
    combo->addItem(QString::fromStdString(items.back()), static_cast<int>(items.size() - 1));
    m_filling = filling;
}

}  // namespace ov
