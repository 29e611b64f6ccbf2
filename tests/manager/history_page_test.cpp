// The History page driven through its controls.
