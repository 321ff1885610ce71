#include "platform/odbc/db_exception.h"

#include <utility>

CDBException::CDBException(int retCode, std::string error, std::string stateNativeOrigin)
    : m_nRetCode(retCode), m_strError(std::move(error)),
      m_strStateNativeOrigin(std::move(stateNativeOrigin)) {}
