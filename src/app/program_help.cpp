#include "app/program_help.h"

#include "platform/base/install_paths.h"

std::string KoravelHelp() {
    const std::string catalogue = install::CatalogueDir();
    return "Usage: koravel [options]\n"
           "A desktop quote bar for the Indian share market (NSE and BSE).\n"
           "\n"
           "Options:\n"
           "  --market URL     base URL of the market services (default: the embedded simulated "
           "market)\n"
           "  --clock TIME     start the program's clock and the simulated market at\n"
           "                   \"YYYY-MM-DD HH:MM:SS\" (local time, read as IST by the market)\n"
           "  --seed N         seed of the simulated market's prices (default 7)\n"
           "  --speed N        simulated market seconds per real second (default 1)\n"
           "  --tour DIR       write pictures of the bar and its pages to DIR, then exit (works\n"
           "                   without a display)\n"
           "  --nosplash       start without the splash picture\n"
           "  --help           this text\n"
           "  --version        the version\n"
           "\n"
           "Environment:\n"
           "  KORAVEL_ROOT            data folder: logs, exports and the database file\n"
           "                          (default ~/Koravel)\n"
           "  ODBCINI                 user data source file holding CompanyList "
           "(default ~/.odbc.ini)\n"
           "  KORAVEL_COM_REGISTRY    component registry file\n"
           "                          (default ~/.config/koravel/registry.ini)\n"
           "  KORAVEL_MARKET_URL      base URL of every market service (as --market)\n"
           "  KORAVEL_QUOTE_URL, KORAVEL_CHART_URL, KORAVEL_CHARTDATA_URL, KORAVEL_LOOKUP_URL,\n"
           "  KORAVEL_NSE_URL         base URL of one service (quote CSV, chart images, chart\n"
           "                          data, symbol lookup, NSE pages); wins over the two above\n"
           "  KORAVEL_READ_DEADLINE   seconds (1 to 3600) one request to a market service may\n"
           "                          take in all (default 120)\n"
           "  XDG_CONFIG_HOME         folder of koravel/ and autostart/ (default ~/.config)\n"
           "\n"
           "Files:\n"
           "  ~/Koravel/              EODData, IntraDay, LiveData, WatchListData, ProfileData,\n"
           "                          ToppersData, ChartStore and CompanyList.db\n"
           "  ~/.odbc.ini             the data source CompanyList\n"
           "  ~/.config/koravel/registry.ini\n"
           "                          the components Pellar.clsdll and Broker.Application\n"
           "  ~/.config/autostart/koravel.desktop\n"
           "                          present while \"Start with the desktop\" is ticked in the\n"
           "                          bar's menu\n"
           "  " +
           install::ComponentDir() +
           "\n"
           "                          libpellar.so and libkoravel-chartstore.so\n" +
           (catalogue.empty() ? std::string()
                              : "  " + catalogue +
                                    "\n"
                                    "                          companies.csv and futures.csv, "
                                    "the catalogue setup loads\n") +
           "\n"
           "When the data folder, the data source or the components' registration is missing,\n"
           "Koravel sets them up as it starts, as koravel-setup does.\n";
}
