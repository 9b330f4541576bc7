-- What the server refuses a workstation, whatever program it runs: the staff's passwords are stored
-- as bcrypt hashes that only the checking functions read; a verification mark needs a supervisor's
-- password checked by the server in the same session; processing marks belong to the central
-- supply's role; the lines of a processed, verified or deleted request stay as they are; repeated
-- wrong passwords lock the employee id out for a while; and the audit table records it all.
--
-- Run at set-up (after the demo is loaded) and by the upgrade; running it again changes nothing.
-- roles.sql then gives the objects to the owner role and fixes every function's search_path.

-- Roles belong to the whole server: another database being set up at the same moment may create
-- one between the look and the creation, which is as good as finding it.
DO $$
DECLARE
    name text;
BEGIN
    FOREACH name IN ARRAY ARRAY['inventory_request_owner', 'inventory_request_client', 'inventory_request_supply']
    LOOP
        BEGIN
            IF NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = name) THEN
                EXECUTE format('CREATE ROLE %I NOLOGIN', name);
            END IF;
        EXCEPTION WHEN duplicate_object OR unique_violation THEN
            NULL;
        END;
    END LOOP;
END $$;

-- pgcrypto in a schema of its own, which no workstation may use.
DO $$
DECLARE
    installed text := (SELECT n.nspname FROM pg_catalog.pg_extension e
                         JOIN pg_catalog.pg_namespace n ON n.oid = e.extnamespace WHERE e.extname = 'pgcrypto');
BEGIN
    IF installed IS NOT NULL AND installed <> 'crypto' THEN
        RAISE EXCEPTION 'The extension pgcrypto is installed in the schema "%" of this database; the staff''s '
                        'passwords need it in the schema "crypto" (ALTER EXTENSION pgcrypto SET SCHEMA crypto).',
                        installed;
    END IF;
END $$;
CREATE SCHEMA IF NOT EXISTS crypto;
CREATE EXTENSION IF NOT EXISTS pgcrypto WITH SCHEMA crypto;

-- ---- The audit ----------------------------------------------------------------------------------
-- Log-ons, wrong passwords, lock-outs, supervisor checks, verifications, deletions and processing,
-- by the server's clock. Workstations write it only through the functions below and cannot read it.
CREATE SCHEMA IF NOT EXISTS audit;
CREATE TABLE IF NOT EXISTS audit.tbAuditEvent (
    AuditID         bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    EventTime       timestamptz NOT NULL DEFAULT pg_catalog.clock_timestamp(),
    Event           text NOT NULL,
    EmployeeID      text,
    DocumentNumber  text,
    DatabaseRole    text NOT NULL DEFAULT session_user,
    ClientAddress   text NOT NULL DEFAULT coalesce(pg_catalog.host(pg_catalog.inet_client_addr()), 'local')
);
CREATE INDEX IF NOT EXISTS ixAuditEvent_Employee ON audit.tbAuditEvent (pg_catalog.lower(EmployeeID), EventTime);

CREATE OR REPLACE FUNCTION audit.record(what text, employee text, document text DEFAULT NULL) RETURNS void
    LANGUAGE sql SECURITY DEFINER SET search_path = pg_catalog, audit AS $$
INSERT INTO audit.tbAuditEvent (Event, EmployeeID, DocumentNumber) VALUES (what, employee, document) $$;

-- ---- Stored passwords ---------------------------------------------------------------------------
-- The column Password holds the bcrypt hash of the scrambled form the client sends, with trailing
-- blanks and letter case removed (the register compared it as citext before). Whatever writes a
-- password that is not yet a hash (the administrator's command, an import, the demo) has it hashed.
CREATE OR REPLACE FUNCTION password.is_password_hash(stored text) RETURNS boolean
    LANGUAGE sql IMMUTABLE SET search_path = pg_catalog AS $$
SELECT stored ~ '^\$2[abxy]\$[0-9]{2}\$[./A-Za-z0-9]{53}$' $$;

CREATE OR REPLACE FUNCTION password.password_form(given text) RETURNS text
    LANGUAGE sql IMMUTABLE SET search_path = pg_catalog AS $$
SELECT lower(rtrim(given, ' ')) $$;

CREATE OR REPLACE FUNCTION password.store_password_hash() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, password, crypto, public AS $$
BEGIN
    IF NEW.Password IS NOT NULL AND NOT password.is_password_hash(NEW.Password::text) THEN
        NEW.Password := crypto.crypt(password.password_form(NEW.Password::text), crypto.gen_salt('bf', 8));
    END IF;
    RETURN NEW;
END $$;
DROP TRIGGER IF EXISTS store_password_hash ON password.tbPasswordMain;
CREATE TRIGGER store_password_hash BEFORE INSERT OR UPDATE OF Password ON password.tbPasswordMain
    FOR EACH ROW EXECUTE FUNCTION password.store_password_hash();
-- The passwords stored before: hashed in place, the scrambled form gone.
UPDATE password.tbPasswordMain SET Password = Password
 WHERE Password IS NOT NULL AND NOT password.is_password_hash(Password::text);

CREATE OR REPLACE FUNCTION password.password_matches(given text, stored text) RETURNS boolean
    LANGUAGE sql STABLE SET search_path = pg_catalog, crypto AS $$
SELECT CASE WHEN stored IS NULL OR given IS NULL THEN false
            ELSE crypto.crypt(password.password_form(given), stored) = stored END $$;

-- ---- Lock-out -------------------------------------------------------------------------------------
-- Five wrong passwords for one employee id within 15 minutes (log-on or supervisor prompt) lock the
-- id for 15 minutes; a right password does not end it early, the administrator's unlock does.
CREATE OR REPLACE FUNCTION password.locked_until(employee text) RETURNS timestamptz
    LANGUAGE sql VOLATILE SET search_path = pg_catalog, audit AS $$
SELECT CASE WHEN last_lock > clock_timestamp() - interval '15 minutes'
                 AND (last_unlock IS NULL OR last_unlock < last_lock)
            THEN last_lock + interval '15 minutes' END
  FROM (SELECT max(EventTime) FILTER (WHERE Event = 'locked out') AS last_lock,
               max(EventTime) FILTER (WHERE Event = 'unlocked') AS last_unlock
          FROM audit.tbAuditEvent
         WHERE lower(EmployeeID) = lower(rtrim(employee, ' ')) AND Event IN ('locked out', 'unlocked')) ends $$;

-- Records a wrong password; the fifth within the window locks the id.
CREATE OR REPLACE FUNCTION password.record_failure(what text, employee text) RETURNS void
    LANGUAGE plpgsql SET search_path = pg_catalog, audit AS $$
DECLARE
    id text := rtrim(employee, ' ');
    since timestamptz;
BEGIN
    PERFORM audit.record(what, id);
    SELECT greatest(clock_timestamp() - interval '15 minutes',
                    max(EventTime) FILTER (WHERE Event IN ('locked out', 'unlocked')))
      INTO since
      FROM audit.tbAuditEvent WHERE lower(EmployeeID) = lower(id);
    IF (SELECT count(*) FROM audit.tbAuditEvent
         WHERE lower(EmployeeID) = lower(id) AND EventTime >= since
           AND Event IN ('log-on refused', 'supervisor check refused')) >= 5 THEN
        PERFORM audit.record('locked out', id);
    END IF;
END $$;

-- A check of a locked id is refused and recorded; the answer names the end of the lock-out.
CREATE OR REPLACE FUNCTION password.refused_while_locked(employee text) RETURNS text
    LANGUAGE plpgsql SET search_path = pg_catalog, audit AS $$
DECLARE
    until timestamptz := password.locked_until(employee);
BEGIN
    IF until IS NULL THEN
        RETURN NULL;
    END IF;
    PERFORM audit.record('refused while locked out', rtrim(employee, ' '));
    RETURN to_char(until, 'YYYY-MM-DD HH24:MI:SS');
END $$;

-- ---- The session's logged-on employee ----------------------------------------------------------
-- A successful log-on check issues a random token: the server keeps its digest and the employee,
-- the session keeps the token (in a setting only it can see), and the client keeps it in memory to
-- bind a new connection to the same log-on after a dropped one. Triggers ask which employee logged
-- on in this session; a session without a log-on is nobody.
CREATE TABLE IF NOT EXISTS password.tbLogonSession (
    TokenDigest bytea PRIMARY KEY,
    EmployeeID  text NOT NULL,
    IssuedAt    timestamptz NOT NULL DEFAULT pg_catalog.clock_timestamp()
);

CREATE OR REPLACE FUNCTION password.session_token_digest() RETURNS bytea
    LANGUAGE sql STABLE SET search_path = pg_catalog, crypto AS $$
SELECT crypto.digest(nullif(current_setting('inventory_request.logon', true), ''), 'sha256') $$;

CREATE OR REPLACE FUNCTION password.session_employee() RETURNS text
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, password AS $$
SELECT EmployeeID FROM password.tbLogonSession
 WHERE TokenDigest = password.session_token_digest() AND IssuedAt > clock_timestamp() - interval '7 days' $$;

-- The log-on check: the register's spelling of the id and the session's token when the password is
-- right; nothing when it is wrong; the end of the lock-out when the id is locked.
CREATE OR REPLACE FUNCTION password.check_logon(employee text, scrambled text)
    RETURNS TABLE (employee_id text, logon_token text, locked_until text)
    LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, password, crypto, public AS $$
DECLARE
    id text := rtrim(employee, ' ');
    found_id text;
    stored text;
    token text;
BEGIN
    PERFORM pg_advisory_xact_lock(7419264, hashtext(lower(id)));
    locked_until := password.refused_while_locked(id);
    IF locked_until IS NOT NULL THEN
        RETURN NEXT;
        RETURN;
    END IF;
    SELECT P.EmployeeID::text, P.Password::text INTO found_id, stored
      FROM password.tbPasswordMain P WHERE P.EmployeeID = id::citext;
    IF found_id IS NULL OR NOT password.password_matches(scrambled, stored) THEN
        PERFORM password.record_failure('log-on refused', id);
        RETURN;
    END IF;
    token := encode(crypto.gen_random_bytes(32), 'hex');
    DELETE FROM password.tbLogonSession WHERE IssuedAt < clock_timestamp() - interval '7 days';
    INSERT INTO password.tbLogonSession (TokenDigest, EmployeeID) VALUES (crypto.digest(token, 'sha256'), found_id);
    PERFORM set_config('inventory_request.logon', token, false);
    PERFORM audit.record('log-on', found_id);
    employee_id := found_id;
    logon_token := token;
    RETURN NEXT;
END $$;

-- A new connection of a workstation that logged on: bound to the same employee while the token is
-- valid.
CREATE OR REPLACE FUNCTION password.resume_logon(token text) RETURNS boolean
    LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, password, crypto AS $$
BEGIN
    IF NOT EXISTS (SELECT FROM password.tbLogonSession WHERE TokenDigest = crypto.digest(token, 'sha256')
                      AND IssuedAt > clock_timestamp() - interval '7 days') THEN
        RETURN false;
    END IF;
    PERFORM set_config('inventory_request.logon', token, false);
    RETURN true;
END $$;

-- ---- Supervisor check and verification ---------------------------------------------------------
-- A right supervisor password grants this session's log-on one verification by that supervisor,
-- for two minutes; the verification mark's trigger takes it for one request (all its lines, in the
-- same transaction).
CREATE TABLE IF NOT EXISTS password.tbVerificationGrant (
    TokenDigest  bytea NOT NULL,
    SupervisorID text NOT NULL,
    GrantedAt    timestamptz NOT NULL DEFAULT pg_catalog.clock_timestamp(),
    UsedBy       xid8
);
ALTER TABLE password.tbVerificationGrant ADD COLUMN IF NOT EXISTS UsedFor text;

CREATE OR REPLACE FUNCTION password.check_supervisor(employee text, scrambled text)
    RETURNS TABLE (accepted boolean, locked_until text)
    LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, password, crypto, public AS $$
DECLARE
    id text := rtrim(employee, ' ');
    found_id text;
    stored text;
BEGIN
    PERFORM pg_advisory_xact_lock(7419264, hashtext(lower(id)));
    accepted := false;
    locked_until := password.refused_while_locked(id);
    IF locked_until IS NOT NULL THEN
        RETURN NEXT;
        RETURN;
    END IF;
    SELECT P.EmployeeID::text, P.Password::text INTO found_id, stored
      FROM password.tbPasswordMain P
     WHERE P.EmployeeID = id::citext AND P.departmentid IN ('4', '00')
       AND P.Right_Code1 = 'A' AND P.Right_Code2 = 'S';
    IF found_id IS NULL OR NOT password.password_matches(scrambled, stored) THEN
        PERFORM password.record_failure('supervisor check refused', id);
        RETURN NEXT;
        RETURN;
    END IF;
    DELETE FROM password.tbVerificationGrant WHERE GrantedAt < clock_timestamp() - interval '1 day';
    IF password.session_token_digest() IS NOT NULL THEN
        INSERT INTO password.tbVerificationGrant (TokenDigest, SupervisorID)
        VALUES (password.session_token_digest(), found_id);
    END IF;
    PERFORM audit.record('supervisor check', found_id);
    accepted := true;
    RETURN NEXT;
END $$;

DROP FUNCTION IF EXISTS password.take_verification_grant(text);
CREATE OR REPLACE FUNCTION password.take_verification_grant(supervisor text, document text) RETURNS boolean
    LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, password AS $$
DECLARE
    taken integer;
BEGIN
    UPDATE password.tbVerificationGrant SET UsedBy = pg_current_xact_id(), UsedFor = lower(document)
     WHERE TokenDigest = password.session_token_digest() AND lower(SupervisorID) = lower(rtrim(supervisor, ' '))
       AND ((UsedBy = pg_current_xact_id() AND UsedFor = lower(document))
            OR (UsedBy IS NULL AND GrantedAt > clock_timestamp() - interval '2 minutes'));
    GET DIAGNOSTICS taken = ROW_COUNT;
    RETURN taken > 0;
END $$;

-- ---- Requests -----------------------------------------------------------------------------------
-- Document numbers stay numbers: the next number is the largest plus one. Rows stored before that
-- do not stop the upgrade; the constraint is then checked for new and changed rows.
DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_catalog.pg_constraint WHERE conname = 'ckInvWithdrawRequest_NumericDocument') THEN
        ALTER TABLE inventory.tbInvWithdrawRequest ADD CONSTRAINT "ckInvWithdrawRequest_NumericDocument"
            CHECK (DocumentNumber::text ~ '^[0-9]+$') NOT VALID;
        BEGIN
            ALTER TABLE inventory.tbInvWithdrawRequest VALIDATE CONSTRAINT "ckInvWithdrawRequest_NumericDocument";
        EXCEPTION WHEN check_violation THEN
            NULL;
        END;
    END IF;
END $$;

-- Whether the session may do anything (the administrators: members of the owner role).
CREATE OR REPLACE FUNCTION inventory.session_is_administrator() RETURNS boolean
    LANGUAGE sql STABLE SET search_path = pg_catalog AS $$
SELECT pg_has_role(session_user, 'inventory_request_owner', 'MEMBER') $$;

CREATE OR REPLACE FUNCTION inventory.refuse(message text) RETURNS void
    LANGUAGE plpgsql SET search_path = pg_catalog AS $$
BEGIN
    RAISE EXCEPTION USING ERRCODE = 'insufficient_privilege', MESSAGE = message;
END $$;

-- The logged-on employee of the session, or a refusal naming what is missing.
CREATE OR REPLACE FUNCTION inventory.logged_on_employee() RETURNS text
    LANGUAGE plpgsql STABLE SET search_path = pg_catalog AS $$
DECLARE
    employee text := password.session_employee();
BEGIN
    IF employee IS NULL THEN
        PERFORM inventory.refuse('Requests are written only by an employee who logged on through the program''s '
                                 'log-on in this session.');
    END IF;
    RETURN employee;
END $$;

CREATE OR REPLACE FUNCTION inventory.is_own_location(employee text, location citext) RETURNS boolean
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, inventory, public AS $$
SELECT EXISTS (SELECT FROM inventory.tbinvUserLocation WHERE UserID = employee::citext AND LocationID = location) $$;

-- Inserting and deleting lines: the save of an open request of the employee's own department.
CREATE OR REPLACE FUNCTION inventory.guard_request_lines() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, inventory, public AS $$
DECLARE
    employee text;
    conflict text;
    line inventory.tbInvWithdrawRequest := CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END;
BEGIN
    IF inventory.session_is_administrator() THEN
        RETURN line;
    END IF;
    employee := inventory.logged_on_employee();
    IF NOT inventory.is_own_location(employee, line.TargetLocationID) THEN
        PERFORM inventory.refuse(format('Employee %s is not assigned to the department of request %s.',
                                        employee, line.DocumentNumber));
    END IF;
    IF TG_OP = 'DELETE' THEN
        IF coalesce(OLD.Status, '') <> '' OR coalesce(OLD.Verifiedby, '') <> '' THEN
            PERFORM inventory.refuse(format('Request %s is processed, verified or deleted; its lines stay as they are.',
                                            OLD.DocumentNumber));
        END IF;
        RETURN OLD;
    END IF;
    IF NEW.UserID IS DISTINCT FROM employee::citext THEN
        PERFORM inventory.refuse(format('Request lines are saved under the logged-on employee %s.', employee));
    END IF;
    -- The lines already stored under the number: those of this save (it deleted the others), or a
    -- closed request, or another department's request whose number is taken.
    SELECT CASE WHEN R.TargetLocationID IS DISTINCT FROM NEW.TargetLocationID THEN 'taken' ELSE 'closed' END
      INTO conflict
      FROM inventory.tbInvWithdrawRequest R
     WHERE R.DocumentNumber = NEW.DocumentNumber
       AND (coalesce(R.Status, '') <> '' OR coalesce(R.Verifiedby, '') <> ''
            OR R.TargetLocationID IS DISTINCT FROM NEW.TargetLocationID)
     LIMIT 1;
    IF conflict = 'closed' THEN
        PERFORM inventory.refuse(format('Request %s is processed, verified or deleted; its lines stay as they are.',
                                        NEW.DocumentNumber));
    ELSIF conflict = 'taken' THEN
        PERFORM inventory.refuse(format('Request %s is another department''s request; its number is taken.',
                                        NEW.DocumentNumber));
    END IF;
    RETURN NEW;
END $$;

-- Marks: deleted by an employee of the request's department, verified only through the supervisor
-- check, processed only by the central supply's programs.
CREATE OR REPLACE FUNCTION inventory.guard_request_marks() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, inventory, public AS $$
DECLARE
    employee text;
    supply boolean;
BEGIN
    IF inventory.session_is_administrator() THEN
        RETURN NEW;
    END IF;
    supply := pg_has_role(session_user, 'inventory_request_supply', 'MEMBER');
    IF NEW.Verifiedby IS DISTINCT FROM OLD.Verifiedby OR NEW.verifiedDate IS DISTINCT FROM OLD.verifiedDate THEN
        IF coalesce(OLD.Verifiedby, '') <> '' OR coalesce(OLD.Status, '') <> '' OR coalesce(NEW.Verifiedby, '') = ''
           OR NOT password.take_verification_grant(NEW.Verifiedby::text, OLD.DocumentNumber::text) THEN
            PERFORM inventory.refuse(format('Request %s can be verified only by a supervisor whose password the '
                                            'server checked in this session.', OLD.DocumentNumber));
        END IF;
        NEW.verifiedDate := LOCALTIMESTAMP(0);
    END IF;
    IF NEW.Status IS DISTINCT FROM OLD.Status OR NEW.ProcessDate IS DISTINCT FROM OLD.ProcessDate
       OR NEW.ProcessBy IS DISTINCT FROM OLD.ProcessBy THEN
        IF NEW.Status = 'D' AND OLD.Status IS DISTINCT FROM 'D' AND NOT supply THEN
            employee := inventory.logged_on_employee();
            IF NEW.ProcessBy IS DISTINCT FROM employee::citext
               OR NOT inventory.is_own_location(employee, OLD.TargetLocationID) THEN
                PERFORM inventory.refuse(format('Employee %s may not delete request %s of another department.',
                                                employee, OLD.DocumentNumber));
            END IF;
            NEW.ProcessDate := LOCALTIMESTAMP(0);
        ELSIF NOT supply THEN
            PERFORM inventory.refuse('Only the central supply''s programs mark requests processed.');
        END IF;
    END IF;
    RETURN NEW;
END $$;

-- One audit line per request and mark, whoever made it.
CREATE OR REPLACE FUNCTION inventory.audit_request_marks() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, inventory, public AS $$
BEGIN
    INSERT INTO audit.tbAuditEvent (Event, EmployeeID, DocumentNumber)
    SELECT DISTINCT CASE WHEN N.Status = 'D' THEN 'deleted' WHEN N.Status = 'P' THEN 'processed'
                         ELSE 'status ' || coalesce(N.Status::text, '') END,
           N.ProcessBy::text, N.DocumentNumber::text
      FROM changed_rows N JOIN previous_rows O ON O.WithdrawRequestID = N.WithdrawRequestID
     WHERE N.Status IS DISTINCT FROM O.Status;
    INSERT INTO audit.tbAuditEvent (Event, EmployeeID, DocumentNumber)
    SELECT DISTINCT 'verified', N.Verifiedby::text, N.DocumentNumber::text
      FROM changed_rows N JOIN previous_rows O ON O.WithdrawRequestID = N.WithdrawRequestID
     WHERE N.Verifiedby IS DISTINCT FROM O.Verifiedby;
    RETURN NULL;
END $$;

DROP TRIGGER IF EXISTS guard_request_lines ON inventory.tbInvWithdrawRequest;
CREATE TRIGGER guard_request_lines BEFORE INSERT OR DELETE ON inventory.tbInvWithdrawRequest
    FOR EACH ROW EXECUTE FUNCTION inventory.guard_request_lines();
DROP TRIGGER IF EXISTS guard_request_marks ON inventory.tbInvWithdrawRequest;
-- A lock-only update (every column set to itself) changes nothing and costs no call.
CREATE TRIGGER guard_request_marks BEFORE UPDATE ON inventory.tbInvWithdrawRequest
    FOR EACH ROW WHEN (OLD.* IS DISTINCT FROM NEW.*) EXECUTE FUNCTION inventory.guard_request_marks();
DROP TRIGGER IF EXISTS audit_request_marks ON inventory.tbInvWithdrawRequest;
CREATE TRIGGER audit_request_marks AFTER UPDATE ON inventory.tbInvWithdrawRequest
    REFERENCING OLD TABLE AS previous_rows NEW TABLE AS changed_rows
    FOR EACH STATEMENT EXECUTE FUNCTION inventory.audit_request_marks();

-- ---- Stuck sessions -----------------------------------------------------------------------------
-- The database ends a session idle inside a transaction after a few seconds, but a ward's log-in
-- may turn that setting off for its own session and then hold the locks every save waits for. So a
-- workstation whose save waited in vain for a lock ends the sessions of the workstations' log-ins
-- that hold a transaction while idle for more than five seconds, or open for more than a minute:
-- the client never does either. Administrators' sessions are left alone. Seeing and ending other
-- sessions needs pg_read_all_stats and pg_signal_backend for the owner role (roles.sql).
CREATE OR REPLACE FUNCTION inventory.end_stuck_sessions() RETURNS integer
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
DECLARE
    stuck record;
    ended integer := 0;
BEGIN
    FOR stuck IN SELECT a.pid, a.usename, a.client_addr FROM pg_catalog.pg_stat_activity a
                  WHERE a.datname = current_database() AND a.pid <> pg_catalog.pg_backend_pid()
                    AND a.xact_start IS NOT NULL
                    AND ((a.state LIKE 'idle in transaction%'
                          AND a.state_change < pg_catalog.now() - interval '5 seconds')
                         OR a.xact_start < pg_catalog.now() - interval '1 minute')
                    AND pg_catalog.pg_has_role(a.usesysid, 'inventory_request_client', 'MEMBER')
                    AND NOT pg_catalog.pg_has_role(a.usesysid, 'inventory_request_owner', 'MEMBER') LOOP
        IF pg_catalog.pg_terminate_backend(stuck.pid) THEN
            ended := ended + 1;
            PERFORM audit.record(pg_catalog.format('stuck session ended: %s from %s', stuck.usename,
                                                   coalesce(pg_catalog.host(stuck.client_addr), 'local')), NULL);
        END IF;
    END LOOP;
    RETURN ended;
END $$;
