// An empty source: the layer-check shared objects hold only their layer.
