// The database schema of the registered row classes, written from their column
// lists: one CREATE TABLE statement per table. The creation script is what a
// new database (the tests' scratch databases, the local run) is built from.
#pragma once

#include <string>

#include "entities/base/TableDescriptor.h"

// The SQL column type of a column: INT, TINYINT (bool), INT UNSIGNED, BIGINT
// UNSIGNED, FLOAT, DOUBLE, DATETIME, DATE, TIME, VARCHAR(n) or TEXT for text
// (VARCHAR(255) unless the column says otherwise). `wideTexts` turns the
// default-length texts into TEXT.
std::string GetColumnSqlType(const CColumnDescriptor& column, bool wideTexts = false);

// "CREATE TABLE IF NOT EXISTS `<table>` (...)" with one line per column in
// column order (key columns NOT NULL, AUTO_INCREMENT on an auto key) and the
// primary key (one column, or both columns of a two-column key). Lines end
// with CR LF; the text holds no empty line. When the default-length texts would
// pass the server's 65,535-byte row limit in a 4-byte character set, they are
// written TEXT.
std::string GetCreateTableText(const CTableDescriptor& table);

// The creation script: the statement of every registered table that reaches
// the database (memory-only tables are left out), in the registry's name
// order, separated by an empty line (CR LF CR LF) so that the database layer's
// script runner sends each as one statement.
std::string GetDatabaseCreationScript();

// Writes GetDatabaseCreationScript to `path` atomically. Returns false, with
// the reason in `error` when given, when the file cannot be written.
bool WriteDatabaseCreationScript(const std::string& path, std::string* error = nullptr);
