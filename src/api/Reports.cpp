#include "Reports.h"

#include "Connection.h"
#include "SharedState.h"
#include "ViewerPresenter.h"

// The showing methods live with the report windows (ReportMethods.cpp).

namespace orvane {

Reports::Reports()
{
    SharedState::objectCreated();
    ViewerPresenter::install();
}

Reports::~Reports()
{
    SharedState::objectDestroyed();
}

void Reports::InitializeClass(QSqlDatabase Con)
{
    std::shared_ptr<Connection> connection = Connection::create(Con);
    SharedState::current().SharedConnection = connection;
    connection->setCursorLocation(Connection::adUseClient);
}

void Reports::CompanyWisePurchase()
{
}

void Reports::setDefaultDateProvider(std::shared_ptr<DefaultDateProvider> provider)
{
    SharedState::current().setDefaultDateProvider(std::move(provider));
}

} // namespace orvane
