// Loads one price list and says "storing" as soon as offers are being
// written, so that a test can kill it in the middle of the write.
//   loader_kill_helper PRICE.vdb BaseZakaz.vdb NAME
#include "platform/db/connection.h"
#include "suppliers/loader/price_list_loader.h"

#include <QCoreApplication>

#include <cstdio>

using namespace velmora;

namespace {

class AnnounceWrite : public loader::LoadProgress {
public:
    bool offersStored(int) override
    {
        if (!announced_) {
            announced_ = true;
            std::printf("storing\n");
            std::fflush(stdout);
        }
        return true;
    }

private:
    bool announced_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    db::Connection priceDb(args[1]);
    db::Connection orderDb(args[2]);
    AnnounceWrite progress;
    loader::LoadRequest request;
    request.name = args[3];
    request.progress = &progress;
    const loader::LoadResult result = loader::LoadPriceList(priceDb, orderDb, request);
    std::printf("%s\n", result.loaded ? "loaded" : qPrintable(result.errorText));
    return result.loaded ? 0 : 1;
}
