-- SQLite functions the demo script (db/demo.sql) uses, for the time it runs on a server. The
-- schema is dropped again after the demo is loaded.
CREATE SCHEMA setup_support;
CREATE FUNCTION setup_support.printf(format text, value integer) RETURNS text LANGUAGE sql IMMUTABLE
    AS $$ SELECT lpad(value::text, substring(format from '%0?(\d+)d')::int, '0') $$;
CREATE FUNCTION setup_support.round(value double precision, places integer) RETURNS numeric LANGUAGE sql IMMUTABLE
    AS $$ SELECT round(value::numeric, places) $$;
CREATE FUNCTION setup_support.datetime(value text) RETURNS timestamp(0) LANGUAGE sql IMMUTABLE
    AS $$ SELECT value::timestamp(0) $$;
