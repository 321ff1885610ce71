#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/recordsets.h"
#include "portfolio/core/charges.h"
#include "portfolio/core/profile_rows.h"

// The brokers and lots as the portfolio keeps them in BROKERLIST and PROFILELIST. Every
// function throws CDBException with the driver's text when the data source refuses.
namespace portfolio {

BrokerRecord ReadBrokerRow(const CBrokersListset& rs);
// Name and rates; the counter column is the database's.
void SetBrokerRow(CBrokersListset& rs, const BrokerRecord& broker);

// Every broker in table order.
std::vector<BrokerRecord> ReadBrokers(CBrokersListset& rs);
// The first broker of that name.
std::optional<BrokerRecord> FindBroker(CBrokersListset& rs, const std::string& name);
void AddBroker(CBrokersListset& rs, const BrokerRecord& broker);
// Writes name and rates over the first broker called `openingName`; false when none is.
bool ChangeBroker(CBrokersListset& rs, const std::string& openingName, const BrokerRecord& broker);

enum class BrokerDeletion { Deleted, InUse, NotFound };
// Deletes the first broker of that name unless a lot refers to it.
BrokerDeletion DeleteBroker(CBrokersListset& rs, const std::string& name);

ProfileLot ReadLotRow(const CProfileListset& rs);
// Every lot in table order.
std::vector<ProfileLot> ReadLots(CProfileListset& rs);
// The lots of one stock and trade type, in table order, as transactions.
std::vector<LotEntry> ReadTransactions(CProfileListset& rs, const std::string& symbol,
                                       int deliveryType);

// The stock the transactions belong to: names, index, symbol, trade type and broker.
struct LotStock {
    std::string companyName;
    std::string index;
    std::string symbol;
    int deliveryType = 0;
    std::int32_t brokerId = 0;
};
// One new row per transaction, all or none.
void AddLots(CProfileListset& rs, const LotStock& stock, const std::vector<LotEntry>& entries);
// Transaction i over the stock's i-th row in table order, all or none; rows beyond the
// transactions keep their values, transactions beyond the rows are not written.
void RewriteLots(CProfileListset& rs, const LotStock& stock, const std::vector<LotEntry>& entries);
// Every lot of the symbol and trade type, whatever its broker.
void DeleteLots(const std::string& symbol, int deliveryType);

} // namespace portfolio
