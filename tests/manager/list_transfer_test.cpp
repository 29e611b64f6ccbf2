// Placeholder: filled in by the work on this area.
