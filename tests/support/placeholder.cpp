// Replaced as test support grows.
