#pragma once

#include "platform/db/connection.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// A fresh database file in a temporary folder, removed with the fixture.
class DbTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }

    velmora::db::Connection& db()
    {
        if (!db_.isOpen())
            db_.open(path(QStringLiteral("test.db")), velmora::db::OpenMode::Create);
        return db_;
    }

    QTemporaryDir dir_;
    velmora::db::Connection db_;
};
