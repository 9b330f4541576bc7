-- Who owns what, and who may do what (run at set-up and by every upgrade, after security.sql):
--
--   inventory_request_owner   NOLOGIN; owns the schemas, tables and functions. The administrator
--                             who runs the set-up becomes a member.
--   inventory_request_client  the workstations: only what the client's statements need. Their
--                             log-in roles are made members (CREATE ROLE ward LOGIN IN ROLE ...).
--   inventory_request_supply  the central supply's programs: reads the requests and sets their
--                             processing marks.

-- (A superuser is a member of every role already; set-ups of several databases at once then leave
-- the role's memberships alone.)
DO $$ BEGIN
    IF NOT pg_catalog.pg_has_role(current_user, 'inventory_request_owner', 'MEMBER') THEN
        EXECUTE format('GRANT inventory_request_owner TO %I', current_user);
    END IF;
END $$;

-- The owner owns every schema, table and function of the client (the extensions' own objects stay
-- as they are); every function runs with a fixed search_path, pg_catalog first, and nobody but the
-- owner may call one unless granted below. The exception are the small helpers the client's
-- statements call for every row they read (GetDate, Like patterns, PatIndex, Convert, the codes'
-- comparison, IfNull): a SET clause would switch the search_path at each call (25 times slower in
-- a search) and keep the planner from inlining them. Their bodies call pg_catalog's and inventory's
-- own functions with the exact argument types, and nobody but the owner may create objects in any
-- schema on their path (public included, below), so no function of another can stand in.
DO $$
DECLARE
    o record;
BEGIN
    FOR o IN SELECT nspname FROM pg_catalog.pg_namespace
              WHERE nspname IN ('inventory', 'password', 'audit', 'crypto') LOOP
        EXECUTE format('ALTER SCHEMA %I OWNER TO inventory_request_owner', o.nspname);
    END LOOP;
    FOR o IN SELECT c.oid::regclass AS name,
                    CASE c.relkind WHEN 'v' THEN 'VIEW' WHEN 'm' THEN 'MATERIALIZED VIEW' ELSE 'TABLE' END AS kind
               FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
              WHERE n.nspname IN ('inventory', 'password', 'audit') AND c.relkind IN ('r', 'p', 'v', 'm') LOOP
        EXECUTE format('ALTER %s %s OWNER TO inventory_request_owner', o.kind, o.name);
    END LOOP;
    FOR o IN SELECT p.oid::regprocedure AS name, n.nspname AS schema_name, p.prokind,
                    EXISTS (SELECT FROM unnest(p.proconfig) s WHERE s LIKE 'search_path=%') AS has_path,
                    n.nspname = 'inventory' AND p.proname IN ('getdate', 'like_regex', 'patindex', 'convert_varchar',
                                                             'same_code', 'ifnull') AS row_helper
               FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace
              WHERE n.nspname IN ('inventory', 'password', 'audit')
                AND NOT EXISTS (SELECT FROM pg_catalog.pg_depend d
                                 WHERE d.classid = 'pg_catalog.pg_proc'::regclass AND d.objid = p.oid AND d.deptype = 'e') LOOP
        IF o.prokind = 'a' THEN
            EXECUTE format('ALTER AGGREGATE %s OWNER TO inventory_request_owner', o.name);
            CONTINUE;
        END IF;
        EXECUTE format('ALTER ROUTINE %s OWNER TO inventory_request_owner', o.name);
        IF o.row_helper THEN
            EXECUTE format('ALTER ROUTINE %s RESET search_path', o.name);
        ELSIF NOT o.has_path THEN
            EXECUTE format('ALTER ROUTINE %s SET search_path = pg_catalog, %I, public', o.name, o.schema_name);
        END IF;
        EXECUTE format('REVOKE ALL ON ROUTINE %s FROM PUBLIC', o.name);
    END LOOP;
END $$;

-- The database: only the roles of the client connect to it and make temporary tables; nobody
-- creates objects in public (where a function of the same name as a built-in one would be called
-- by the administrator's work); a workstation's session idle inside a transaction is ended after
-- a few seconds, so no ward PC holds the locks the other workstations' saves wait for.
DO $$ BEGIN
    EXECUTE format('REVOKE CONNECT, TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
    EXECUTE format('GRANT CONNECT, TEMPORARY ON DATABASE %I TO inventory_request_client, inventory_request_supply',
                   current_database());
    EXECUTE format('ALTER DATABASE %I SET idle_in_transaction_session_timeout = %L', current_database(), '5s');
END $$;
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
REVOKE ALL ON SCHEMA audit, crypto FROM PUBLIC;

-- What the earlier versions granted goes; then each role gets what it needs, column by column.
REVOKE ALL ON ALL TABLES IN SCHEMA inventory, password, audit
    FROM PUBLIC, inventory_request_client, inventory_request_supply;
REVOKE ALL ON ALL SEQUENCES IN SCHEMA inventory, password, audit
    FROM PUBLIC, inventory_request_client, inventory_request_supply;
REVOKE ALL ON SCHEMA audit FROM inventory_request_client, inventory_request_supply;

GRANT USAGE ON SCHEMA inventory, password TO inventory_request_client, inventory_request_supply;
-- Master data, settings and requests are read; no window writes master data.
GRANT SELECT ON ALL TABLES IN SCHEMA inventory TO inventory_request_client, inventory_request_supply;
-- The staff register without its passwords: those only the checking functions read.
GRANT SELECT (EmployeeID, LastName, FirstName, departmentid, Right_Code1, Right_Code2) ON password.tbPasswordMain
    TO inventory_request_client, inventory_request_supply;
-- Requests: the save's lines, the replacement of an open request's lines, the verification and
-- delete marks (guard_request_lines and guard_request_marks hold them to what the client does).
GRANT INSERT (DocumentNumber, ItemID, Quantity, UnitCost, ForRetail, isADS, LocationID, TargetLocationID, TransDate,
              UserID, Remarks),
      UPDATE (Status, ProcessDate, ProcessBy, Verifiedby, verifiedDate),
      DELETE
    ON inventory.tbInvWithdrawRequest TO inventory_request_client;
GRANT UPDATE (Status, ProcessDate, ProcessBy) ON inventory.tbInvWithdrawRequest TO inventory_request_supply;

-- The functions the client's statements call, and the password checks.
DO $$
DECLARE
    f record;
BEGIN
    FOR f IN SELECT p.oid::regprocedure AS name
               FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace
              WHERE n.nspname = 'inventory'
                AND p.proname IN ('getdate', 'like_regex', 'patindex', 'convert_varchar', 'same_code', 'ifnull',
                                  'sp_inv_userlocation', 'sp_inv_searchitem_in_invent', 'sp_inv_loadwithdrawalrequest',
                                  'sp_inv_kitofitems', 'sp_inv_kitofitems_peritem') LOOP
        EXECUTE format('GRANT EXECUTE ON FUNCTION %s TO inventory_request_client, inventory_request_supply', f.name);
    END LOOP;
END $$;
GRANT EXECUTE ON FUNCTION password.check_logon(text, text), password.check_supervisor(text, text),
    password.resume_logon(text) TO inventory_request_client;
GRANT EXECUTE ON FUNCTION inventory.end_stuck_sessions() TO inventory_request_client;

-- Ending a stuck workstation's session (inventory.end_stuck_sessions) needs the owner role to see
-- and signal the other sessions. Only a superuser may grant that; a set-up by another account says
-- so, and "check --server" names it until a superuser has.
DO $$ BEGIN
    GRANT pg_read_all_stats, pg_signal_backend TO inventory_request_owner;
EXCEPTION WHEN insufficient_privilege THEN
    RAISE WARNING 'Only a superuser can let the owner role end stuck workstation sessions: '
                  'GRANT pg_read_all_stats, pg_signal_backend TO inventory_request_owner';
END $$;
