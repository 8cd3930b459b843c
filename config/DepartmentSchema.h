#pragma once

#include <string_view>

// The department's record on PostgreSQL: one row a transfer, keyed by the identity the row got
// when it was made, so that a row delivered twice is kept once. The schema's version is kept in
// a table of its own, so that a later program can see what it finds and migrate it.

inline constexpr int kDepartmentSchemaVersion = 1;

// Made on first use by whichever program comes first; the advisory lock keeps two programs
// making it at once from colliding, the whole text being one transaction.
inline constexpr std::string_view kDepartmentSchema = R"sql(
SELECT pg_advisory_xact_lock(7336021);
CREATE TABLE IF NOT EXISTS mirafen_schema (version integer NOT NULL);
INSERT INTO mirafen_schema (version) SELECT 1 WHERE NOT EXISTS (SELECT FROM mirafen_schema);
CREATE TABLE IF NOT EXISTS mirafen_transfers (
    id uuid PRIMARY KEY,
    time timestamptz NOT NULL,
    local_time text NOT NULL,
    program text NOT NULL,
    action text NOT NULL,
    device text NOT NULL,
    serial_before text NOT NULL,
    serial_after text NOT NULL,
    module text NOT NULL,
    firmware text NOT NULL,
    setup_file text NOT NULL,
    setup_sha256 text NOT NULL,
    result text NOT NULL,
    detail text NOT NULL,
    "user" text NOT NULL,
    host text NOT NULL,
    program_version text NOT NULL,
    received timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX IF NOT EXISTS mirafen_transfers_serial_before ON mirafen_transfers (serial_before, time);
CREATE INDEX IF NOT EXISTS mirafen_transfers_serial_after ON mirafen_transfers (serial_after, time);
CREATE INDEX IF NOT EXISTS mirafen_transfers_time ON mirafen_transfers (time);
CREATE INDEX IF NOT EXISTS mirafen_transfers_action ON mirafen_transfers (action, time);
SELECT version FROM mirafen_schema;
)sql";

// The columns a row is inserted with, in the order of its parameters: the identity, the time
// (twice: as the moment and as the bench wrote it), the record's other columns, the version.
inline constexpr std::string_view kDepartmentColumns =
    "id, time, local_time, program, action, device, serial_before, serial_after, module, "
    "firmware, setup_file, setup_sha256, result, detail, \"user\", host, program_version";
inline constexpr int kDepartmentColumnCount = 17;
