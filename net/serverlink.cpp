// ServerLink goes here.
