// The ZIP component goes here.
