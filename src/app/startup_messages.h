#pragma once

#include <QString>

namespace velmora::startup_messages {

// The texts of start-up and of the database choice, exactly as the user
// sees them; "\r" is the line break (message windows turn it into one).
QString orderDatabaseError();                              // S1
QString orderDatabaseMissing(const QString& path);         // S2
QString sharedDatabaseMissing(const QString& path);        // S3
QString defaultDatabaseConnected(const QString& programFolder); // S4
QString defaultDatabaseCopyFailed(const QString& programFolder); // S5
QString defaultDatabaseCopied();                           // S6
QString priceDatabaseError(const QString& path);           // S7
QString priceDatabaseMissing(const QString& path);         // S8
QString chosenDatabaseNotFound();                          // C1
QString chosenDatabaseRestart();                           // C2
QString chosenDatabaseError();                             // C3

} // namespace velmora::startup_messages
