#pragma once

#include <QString>
#include <QVector>

class Statement;

// What sets one engine's SQL apart from the client's T-SQL, as data the passes read.
struct Dialect
{
    // How "db..object" and "db.dbo.object" name an object.
    enum class Databases {
        AttachedFiles, // INVENTORY..x is x in the main file, Password..x is Password.x
        Schemas,       // one schema per database: inventory.x, password.x
    };
    // How a text literal compared with = < > ... gets SQL Server's comparison.
    enum class ComparedTexts {
        Collated, // with COLLATE MSSQL, which ignores letter case and trailing blanks
        Trimmed,  // without its trailing blanks; the columns ignore letter case themselves
    };
    // A Convert's target: the call that replaces Convert and what closes it.
    struct Conversion
    {
        QString head;
        QString tail;
    };
    struct Function
    {
        const char *client; // the client's name, in any letter case
        QString name;
    };

    Databases databases;
    // [name] as a plain name where it is one (the server keeps the letter case of quoted names only).
    bool bracketsAsPlainNames;
    QVector<Function> functions; // renamed functions
    Conversion toInteger;        // int, integer, bigint, smallint, tinyint, bit
    Conversion toReal;           // float, real, decimal, numeric, money, smallmoney
    Conversion toDate;           // datetime, smalldatetime, date
    ComparedTexts comparedTexts;
};

// A pass rewrites the statement where its rule applies and leaves it alone elsewhere.
struct Pass
{
    const char *name;
    void (*apply)(Statement &);
};
using Passes = QVector<Pass>;
