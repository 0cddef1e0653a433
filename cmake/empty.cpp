// Placeholder for a subsystem that has no core sources yet.
