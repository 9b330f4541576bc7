-- Texts are stored without trailing blanks on the server, whoever writes them.
--
-- The client compares texts as SQL Server does: trailing blanks do not count, in "=", Distinct,
-- Group By, joins, In, Len and unique keys alike. citext counts them, so every text column of
-- both schemas gets a trigger that removes them on insert and update: then every comparison,
-- every index and every key sees the texts as SQL Server compares them, and the plain indexes of
-- the columns keep serving the lookups. Only blanks go; a tab or a line break at the end stays.
--
-- Made for every table holding citext columns, at set-up and by the upgrade from version 2; the
-- rows already stored lose their trailing blanks too (two keys that differ only in them make it
-- fail with a unique violation). Running it again replaces the triggers with the same ones.

DO $trim$
DECLARE
    t record;
    fn text;
BEGIN
    FOR t IN
        SELECT n.nspname AS schema_name, c.relname AS table_name,
               string_agg(format('    NEW.%1$I := pg_catalog.rtrim(NEW.%1$I, '' '');', a.attname), E'\n'
                          ORDER BY a.attnum) AS assignments,
               string_agg(format('pg_catalog.right(NEW.%I::text, 1) = '' ''', a.attname), ' OR '
                          ORDER BY a.attnum) AS condition,
               string_agg(format('%1$I = pg_catalog.rtrim(%1$I, '' '')', a.attname), ', '
                          ORDER BY a.attnum) AS stored_assignments,
               string_agg(format('pg_catalog.right(%I::text, 1) = '' ''', a.attname), ' OR '
                          ORDER BY a.attnum) AS stored_condition
          FROM pg_catalog.pg_class c
          JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
          JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
          JOIN pg_catalog.pg_type ty ON ty.oid = a.atttypid AND ty.typname = 'citext'
         WHERE c.relkind = 'r' AND n.nspname IN ('inventory', 'password')
         GROUP BY n.nspname, c.relname
    LOOP
        fn := format('%I.%I', t.schema_name, 'trim_' || t.table_name);
        EXECUTE format($f$CREATE OR REPLACE FUNCTION %s() RETURNS trigger LANGUAGE plpgsql
    SET search_path = pg_catalog, %s, public AS $body$
BEGIN
%s
    RETURN NEW;
END $body$$f$, fn, quote_ident(t.schema_name), t.assignments);
        EXECUTE format('DROP TRIGGER IF EXISTS trim_trailing_blanks ON %I.%I', t.schema_name, t.table_name);
        -- The condition spares the function call for the rows that need nothing.
        EXECUTE format('CREATE TRIGGER trim_trailing_blanks BEFORE INSERT OR UPDATE ON %I.%I FOR EACH ROW '
                       'WHEN (%s) EXECUTE FUNCTION %s()', t.schema_name, t.table_name, t.condition, fn);
        EXECUTE format('UPDATE %I.%I SET %s WHERE %s', t.schema_name, t.table_name, t.stored_assignments,
                       t.stored_condition);
    END LOOP;
END $trim$;
