-- The role of the workstations: only what the client's statements need. Log-in roles of the
-- staff's workstations are made members of it (GRANT inventory_request_client TO ...).

-- Roles belong to the whole server: another database being set up at the same moment may
-- create it between the look and the creation, which is as good as finding it.
DO $$ BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'inventory_request_client') THEN
        CREATE ROLE inventory_request_client NOLOGIN;
    END IF;
EXCEPTION WHEN duplicate_object OR unique_violation THEN
    NULL;
END $$;

GRANT USAGE ON SCHEMA inventory, password TO inventory_request_client;
GRANT SELECT ON ALL TABLES IN SCHEMA inventory, password TO inventory_request_client;
GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA inventory TO inventory_request_client;
-- Requests: saved, verified, marked deleted, replaced line by line.
GRANT INSERT, UPDATE, DELETE ON inventory.tbInvWithdrawRequest TO inventory_request_client;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA inventory TO inventory_request_client;
-- The master files the lookup windows add to and edit.
GRANT INSERT, UPDATE ON inventory.tbInvMaster, inventory.tbInvClassification, inventory.tbInvTerms
    TO inventory_request_client;
GRANT UPDATE ON inventory.tbInvLocation, inventory.tbInvSupplier, inventory.tbInvUnitOfMeasure
    TO inventory_request_client;
