-- A call history database of schema version 1, as the store wrote it before times became
-- integers and the emergency flag and call kind were added. history-v1.db is made from this
-- file with: sqlite3 history-v1.db < history-v1.sql
PRAGMA user_version = 1;
CREATE TABLE events (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    type INTEGER NOT NULL,
    direction INTEGER NOT NULL,
    local_uid TEXT NOT NULL,
    remote_uid TEXT NOT NULL,
    start_time TEXT NOT NULL,
    end_time TEXT NOT NULL,
    missed INTEGER NOT NULL DEFAULT 0,
    video INTEGER NOT NULL DEFAULT 0,
    read INTEGER NOT NULL DEFAULT 0);
CREATE INDEX events_end ON events(end_time);
INSERT INTO events VALUES (1, 3, 1, '/org/freedesktop/Telepathy/Account/pulse/tel/pulse',
    '+358401234567', '2025-03-01T10:00:00Z', '2025-03-01T10:02:30Z', 0, 0, 1);
INSERT INTO events VALUES (2, 3, 2, '/org/freedesktop/Telepathy/Account/pulse/tel/pulse',
    '0401112222', '2025-03-02T08:15:00Z', '2025-03-02T08:20:00Z', 0, 1, 1);
INSERT INTO events VALUES (3, 3, 1, '/org/freedesktop/Telepathy/Account/pulse/tel/pulse',
    '+358401234567', '2025-03-03T19:45:10Z', '2025-03-03T19:45:40Z', 1, 0, 0);
INSERT INTO events VALUES (4, 3, 1, '/org/freedesktop/Telepathy/Account/sofiasip/sip/account0',
    'sip:anna@voip.example.org', '2025-03-04T12:00:00Z', '2025-03-04T12:00:00Z', 1, 0, 1);
INSERT INTO events VALUES (6, 3, 0, '/org/freedesktop/Telepathy/Account/pulse/tel/pulse',
    '', '2025-03-05T23:59:59Z', '2025-03-06T00:01:01Z', 0, 0, 1);
-- Event 7 was deleted: new events must not get its id again.
INSERT INTO events VALUES (7, 3, 2, '/org/freedesktop/Telepathy/Account/pulse/tel/pulse',
    '112', '2025-03-07T07:00:00Z', '2025-03-07T07:03:00Z', 0, 0, 1);
DELETE FROM events WHERE id = 7;
