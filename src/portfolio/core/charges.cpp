// The money rules.
