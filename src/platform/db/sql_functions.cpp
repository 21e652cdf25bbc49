#include "sql_functions.h"

#include <sqlite3.h>

#include <cmath>
#include <ctime>

namespace velmora::db {
namespace {

// Jet's Int() is floor, and returns a real so that Int(x*100+0.5)/100 keeps
// its decimals.
void intFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    sqlite3_result_double(context, std::floor(sqlite3_value_double(argv[0])));
}

struct FirstState {
    sqlite3_value* value;
    bool seen;
};

void firstStep(sqlite3_context* context, int, sqlite3_value** argv)
{
    auto* state = static_cast<FirstState*>(sqlite3_aggregate_context(context, sizeof(FirstState)));
    if (state && !state->seen) {
        state->value = sqlite3_value_dup(argv[0]);
        state->seen = true;
    }
}

void firstFinal(sqlite3_context* context)
{
    auto* state = static_cast<FirstState*>(sqlite3_aggregate_context(context, 0));
    if (!state || !state->seen)
        return sqlite3_result_null(context);
    sqlite3_result_value(context, state->value);
    sqlite3_value_free(state->value);
}

double nowDayNumber()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    // Days from 1899-12-30 to 1970-01-01 are 25569.
    const std::time_t localEpoch = t + local.tm_gmtoff;
    return 25569.0 + double(localEpoch) / 86400.0;
}

void nowFunction(sqlite3_context* context, int, sqlite3_value**) { sqlite3_result_double(context, nowDayNumber()); }

void dateFunction(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_int64(context, sqlite3_int64(std::floor(nowDayNumber())));
}

} // namespace

void registerSqlFunctions(sqlite3* db)
{
    registerTextFunctions(db);
    sqlite3_create_function(db, "Int", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, intFunction, nullptr, nullptr);
    sqlite3_create_function(db, "First", 1, SQLITE_UTF8, nullptr, nullptr, firstStep, firstFinal);
    sqlite3_create_function(db, "Now", 0, SQLITE_UTF8, nullptr, nowFunction, nullptr, nullptr);
    sqlite3_create_function(db, "Date", 0, SQLITE_UTF8, nullptr, dateFunction, nullptr, nullptr);
}

} // namespace velmora::db
