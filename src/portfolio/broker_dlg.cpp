#include "portfolio/broker_dlg.h"

#include <QLineEdit>
#include <QListWidget>

#include "controls/color_button.h"
#include "db/operations.h"
#include "platform/base/text.h"
#include "portfolio/core/portfolio_tables.h"
#include "portfolio/portfolio_look.h"

int RateControlId(int rate) {
    // Rates run buy 0-3, sell 4-7 per trade type; the edits pair buy and sell row by row.
    const int group = rate / 8;
    const int sell = (rate % 8) / 4;
    const int row = rate % 4;
    return IDC_DELIVERY_BUY_BROKERAGE + group * 8 + row * 2 + sell;
}

CBrokerDlg::CBrokerDlg(const std::string& brokerName, QWidget* parent)
    : ui::CDialog(IDD, parent), m_strOpeningName(brokerName), m_strBrokerName(brokerName),
      m_nMode(brokerName.empty() ? 0 : 1), m_broker(NewBrokerRecord()) {
    setWindowTitle("Configure A Broker");
    SetTemplateSize(230, 202);
    AddStatic(-1, "Broker Name", 9, 10, 46, 8);
    Add<QLineEdit>(IDC_BROKER_NAME, 58, 8, 163, 13)->setMaxLength(255);
    const char* rows[] = {"% Brokerage", "% ST", "% STT", "% Others"};
    for (int group = 0; group < 2; ++group) {
        const int top = 28 + group * 78;
        AddGroup(-1, group == 0 ? "Delivery" : "Intra-Day", 7, top, 216, 72);
        AddStatic(-1, "Buy", 92, top + 11, 56, 8, Qt::AlignHCenter | Qt::AlignTop);
        AddStatic(-1, "Sell", 154, top + 11, 56, 8, Qt::AlignHCenter | Qt::AlignTop);
        for (int row = 0; row < 4; ++row) {
            const int y = top + 22 + row * 12;
            AddStatic(-1, rows[row], 16, y + 2, 70, 8);
            for (int sell = 0; sell < 2; ++sell)
                Add<QLineEdit>(RateControlId(group * 8 + sell * 4 + row), 92 + sell * 62, y, 56,
                               11);
        }
    }
    auto* ok = Add<CColorButton>(ui::IDOK, 60, 182, 50, 14, std::string("OK"));
    auto* cancel = Add<CColorButton>(ui::IDCANCEL, 120, 182, 50, 14, std::string("Cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

bool CBrokerDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    portfolio::AttachColorButtons(this, {ui::IDOK, ui::IDCANCEL});
    if (m_nMode == 1)
        db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                        [this] {
                            if (auto found = portfolio::FindBroker(m_set, m_strOpeningName))
                                m_broker.rates = found->rates;
                        });
    ShowValues();
    return true;
}

void CBrokerDlg::ShowValues() {
    SetDlgItemText(IDC_BROKER_NAME, m_strBrokerName);
    for (int i = 0; i < 16; ++i)
        SetDlgItemText(RateControlId(i), portfolio::FieldText(m_broker.rates[i]));
}

void CBrokerDlg::OnOK() {
    // The fields, each within 0-100; the first one out of range stops everything.
    BrokerRecord broker = m_broker;
    for (int i = 0; i < 16; ++i)
        if (!portfolio::ReadDoubleField(this, RateControlId(i), 0.0, 100.0, broker.rates[i]))
            return;
    // A name of spaces is no name.
    const std::string name = text::Trim(GetDlgItemText(IDC_BROKER_NAME));
    if (name.empty()) {
        ui::messageBox("Broker Name can't be blank", ui::MB_OK, this);
        return;
    }
    broker.name = name;
    // A new broker needs a name nobody has; a rename is not checked.
    bool taken = false;
    const bool checked =
        m_nMode != 0 ||
        db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                        [&] { taken = portfolio::FindBroker(m_set, name).has_value(); });
    if (checked && taken) {
        ui::messageBox("You can't add " + name + " as it is already there in Brokers List",
                       ui::MB_OK, this);
        return;
    }
    // Written; a database error is shown and the dialog closes as after a save.
    if (checked)
        db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                        [&] {
                            if (m_nMode == 0)
                                portfolio::AddBroker(m_set, broker);
                            else
                                portfolio::ChangeBroker(m_set, m_strOpeningName, broker);
                        });
    m_broker = broker;
    m_strBrokerName = name;
    EndDialog(ui::IDOK);
}

// ---- Brokers List ----------------------------------------------------------------------

CBrokersListDlg::CBrokersListDlg(QWidget* parent) : ui::CDialog(IDD, parent) {
    setWindowTitle("Brokers List");
    SetTemplateSize(186, 150);
    AddStatic(-1, "List of Brokers", 7, 7, 110, 8);
    m_list = Add<QListWidget>(IDC_BROKERS_LIST, 7, 18, 115, 125);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    const std::pair<int, const char*> buttons[] = {
        {IDC_BROKERS_ADD, "Add New"}, {IDC_BROKERS_EDIT, "Edit"}, {IDC_BROKERS_DELETE, "Delete"}};
    int y = 18;
    for (const auto& [id, caption] : buttons) {
        Add<CColorButton>(id, 129, y, 50, 14, std::string(caption));
        y += 19;
    }
    auto* close = Add<CColorButton>(ui::IDCANCEL, 129, 129, 50, 14, std::string("Close"));
    OnClicked(IDC_BROKERS_ADD, &CBrokersListDlg::OnAddNew);
    OnClicked(IDC_BROKERS_EDIT, &CBrokersListDlg::OnEdit);
    OnClicked(IDC_BROKERS_DELETE, &CBrokersListDlg::OnDelete);
    connect(close, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnEdit(); });
}

bool CBrokersListDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    portfolio::AttachColorButtons(
        this, {IDC_BROKERS_ADD, IDC_BROKERS_EDIT, IDC_BROKERS_DELETE, ui::IDCANCEL});
    db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                    [this] { m_brokers = portfolio::ReadBrokers(m_set); });
    FillList();
    return true;
}

void CBrokersListDlg::FillList() {
    m_list->clear();
    for (const BrokerRecord& b : m_brokers)
        m_list->addItem(ui::Q(b.name));
}

int CBrokersListDlg::Selected() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.front());
}

void CBrokersListDlg::OnAddNew() {
    CBrokerDlg dlg("", this);
    if (dlg.DoModal() != ui::IDOK)
        return;
    BrokerRecord added = dlg.Broker();
    added.id = 0; // the database's counter; the list finds brokers by name
    m_brokers.push_back(added);
    m_list->addItem(ui::Q(added.name));
}

void CBrokersListDlg::OnEdit() {
    const int row = Selected();
    if (row < 0) {
        ui::messageBox("Please select atleast one Broker to edit", ui::MB_OK, this);
        return;
    }
    CBrokerDlg dlg(ui::S(m_list->item(row)->text()), this);
    if (dlg.DoModal() != ui::IDOK)
        return;
    m_brokers[row].name = dlg.BrokerName();
    FillList();
}

void CBrokersListDlg::OnDelete() {
    const int row = Selected();
    if (row < 0) {
        ui::messageBox("Please select atleast one Broker to delete", ui::MB_OK, this);
        return;
    }
    const std::string name = ui::S(m_list->item(row)->text());
    portfolio::BrokerDeletion result = portfolio::BrokerDeletion::NotFound;
    if (!db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                         [&] { result = portfolio::DeleteBroker(m_set, name); }))
        return;
    if (result == portfolio::BrokerDeletion::InUse) {
        ui::messageBox("SORRY!!! You can't delete this broker as \nthis Broker is already in use "
                       "in Your Profile List",
                       ui::MB_OK, this);
        return;
    }
    // A broker already gone from the table leaves the list too.
    delete m_list->takeItem(row);
    m_brokers.erase(m_brokers.begin() + row);
}
