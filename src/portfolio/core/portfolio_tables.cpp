#include "portfolio/core/portfolio_tables.h"

#include "db/operations.h"
#include "db/statements.h"

namespace portfolio {

namespace {

template <class Set> void OpenWith(Set& rs, std::string filter) {
    if (rs.IsOpen())
        rs.Close();
    rs.m_strFilter = std::move(filter);
    rs.m_strSort.clear();
    rs.Open();
}

void SetLotRow(CProfileListset& rs, const LotStock& stock, const LotEntry& entry) {
    rs.m_COMPNAME = stock.companyName;
    rs.m_INDEX = stock.index;
    rs.m_INDEXNAME = stock.symbol;
    rs.m_DELIVERYTYPE = stock.deliveryType;
    rs.m_PRICE = entry.price;
    rs.m_QUANTITY = entry.shares;
    rs.m_BROKERID = stock.brokerId;
}

} // namespace

BrokerRecord ReadBrokerRow(const CBrokersListset& rs) {
    return {rs.m_BROKERID,
            rs.m_BROKERNAME,
            {rs.m_DELIVERY_BUY_BROKERAGE, rs.m_DELIVERY_BUY_ST, rs.m_DELIVERY_BUY_STT,
             rs.m_DELIVERY_BUY_OTHERS, rs.m_DELIVERY_SELL_BROKERAGE, rs.m_DELIVERY_SELL_ST,
             rs.m_DELIVERY_SELL_STT, rs.m_DELIVERY_SELL_OTHERS, rs.m_INTRADAY_BUY_BROKERAGE,
             rs.m_INTRADAY_BUY_ST, rs.m_INTRADAY_BUY_STT, rs.m_INTRADAY_BUY_OTHERS,
             rs.m_INTRADAY_SELL_BROKERAGE, rs.m_INTRADAY_SELL_ST, rs.m_INTRADAY_SELL_STT,
             rs.m_INTRADAY_SELL_OTHERS}};
}

void SetBrokerRow(CBrokersListset& rs, const BrokerRecord& b) {
    rs.m_BROKERNAME = b.name;
    double* columns[16] = {
        &rs.m_DELIVERY_BUY_BROKERAGE,  &rs.m_DELIVERY_BUY_ST,         &rs.m_DELIVERY_BUY_STT,
        &rs.m_DELIVERY_BUY_OTHERS,     &rs.m_DELIVERY_SELL_BROKERAGE, &rs.m_DELIVERY_SELL_ST,
        &rs.m_DELIVERY_SELL_STT,       &rs.m_DELIVERY_SELL_OTHERS,    &rs.m_INTRADAY_BUY_BROKERAGE,
        &rs.m_INTRADAY_BUY_ST,         &rs.m_INTRADAY_BUY_STT,        &rs.m_INTRADAY_BUY_OTHERS,
        &rs.m_INTRADAY_SELL_BROKERAGE, &rs.m_INTRADAY_SELL_ST,        &rs.m_INTRADAY_SELL_STT,
        &rs.m_INTRADAY_SELL_OTHERS};
    for (int i = 0; i < 16; ++i)
        *columns[i] = b.rates[i];
}

std::vector<BrokerRecord> ReadBrokers(CBrokersListset& rs) {
    OpenWith(rs, {});
    db::CloseOnExit<CBrokersListset> closer(rs);
    return db::ReadAllRows(rs, ReadBrokerRow);
}

std::optional<BrokerRecord> FindBroker(CBrokersListset& rs, const std::string& name) {
    OpenWith(rs, db::SqlFilterBrokerName(name));
    db::CloseOnExit<CBrokersListset> closer(rs);
    if (rs.IsEOF())
        return std::nullopt;
    return ReadBrokerRow(rs);
}

void AddBroker(CBrokersListset& rs, const BrokerRecord& broker) {
    db::AddRow(rs, [&](CBrokersListset& set) { SetBrokerRow(set, broker); });
}

bool ChangeBroker(CBrokersListset& rs, const std::string& openingName, const BrokerRecord& broker) {
    return db::ChangeFirstRow(rs, db::SqlFilterBrokerName(openingName),
                              [&](CBrokersListset& set) { SetBrokerRow(set, broker); });
}

BrokerDeletion DeleteBroker(CBrokersListset& rs, const std::string& name) {
    OpenWith(rs, db::SqlFilterBrokerName(name));
    db::CloseOnExit<CBrokersListset> closer(rs);
    if (rs.IsEOF())
        return BrokerDeletion::NotFound;
    const std::int32_t id = rs.m_BROKERID;
    {
        CProfileListset lots;
        OpenWith(lots, db::SqlFilterLotsOfBroker(id));
        db::CloseOnExit<CProfileListset> lotsCloser(lots);
        if (!lots.IsEOF())
            return BrokerDeletion::InUse;
    }
    rs.m_pDatabase->ExecuteSQL(db::SqlDeleteBroker(id));
    return BrokerDeletion::Deleted;
}

ProfileLot ReadLotRow(const CProfileListset& rs) {
    ProfileLot lot;
    lot.companyName = rs.m_COMPNAME;
    lot.index = rs.m_INDEX;
    lot.symbol = rs.m_INDEXNAME;
    lot.deliveryType = rs.m_DELIVERYTYPE;
    lot.price = rs.m_PRICE;
    lot.quantity = rs.m_QUANTITY;
    lot.brokerId = rs.m_BROKERID;
    return lot;
}

std::vector<ProfileLot> ReadLots(CProfileListset& rs) {
    OpenWith(rs, {});
    db::CloseOnExit<CProfileListset> closer(rs);
    return db::ReadAllRows(rs, ReadLotRow);
}

std::vector<LotEntry> ReadTransactions(CProfileListset& rs, const std::string& symbol,
                                       int deliveryType) {
    OpenWith(rs, db::SqlFilterLots(symbol, deliveryType));
    db::CloseOnExit<CProfileListset> closer(rs);
    return db::ReadAllRows(rs, [](const CProfileListset& set) {
        return LotEntry{set.m_PRICE, set.m_QUANTITY};
    });
}

void AddLots(CProfileListset& rs, const LotStock& stock, const std::vector<LotEntry>& entries) {
    OpenWith(rs, {});
    db::CloseOnExit<CProfileListset> closer(rs);
    CDatabase::Transaction transaction(*rs.m_pDatabase);
    for (const LotEntry& e : entries) {
        rs.AddNew();
        SetLotRow(rs, stock, e);
        rs.Update();
    }
    transaction.Commit();
}

void RewriteLots(CProfileListset& rs, const LotStock& stock, const std::vector<LotEntry>& entries) {
    OpenWith(rs, db::SqlFilterLots(stock.symbol, stock.deliveryType));
    db::CloseOnExit<CProfileListset> closer(rs);
    CDatabase::Transaction transaction(*rs.m_pDatabase);
    for (const LotEntry& e : entries) {
        if (rs.IsEOF())
            break;
        rs.Edit();
        SetLotRow(rs, stock, e);
        rs.Update();
        rs.MoveNext();
    }
    transaction.Commit();
}

void DeleteLots(const std::string& symbol, int deliveryType) {
    CDatabase database;
    database.Open(db::kDefaultConnect);
    database.ExecuteSQL(db::SqlDeleteLots(symbol, deliveryType));
}

} // namespace portfolio
